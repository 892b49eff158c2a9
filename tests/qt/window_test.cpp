// The real main window, driven offscreen: layout after start-up, and whole
// calculations started by a click, by Enter and by the arrow keys, with the
// program's own dialogs answered.
#include <QApplication>
#include <QLocale>
#include <QtTest>
#include <memory>

#include "frontend/app.h"
#include "model/catalogue.h"
#include "qt/qt_platform.h"
#include "tests/qt/dialog_driver.h"

using elprops::frontend::App;
using elprops::platform::Control;
using elprops::platform::MainWindow;
using elprops::platform::PixelsToTwips;
using elprops::platform::QtPlatform;

namespace {

// The window after start-up, shown as the program shows it.
struct Harness {
  QtPlatform platform;
  App app{platform};

  Harness() {
    platform.SetEndAction([] {});  // keep the test's event loop running
    platform.SetEvents(&app);
    app.Form_Load();
    platform.Window().show();
    platform.Window().endButton()->setFocus();
  }
  MainWindow& window() { return platform.Window(); }
  QString inputs() { return window().inputsLabel()->text(); }
  QString results() { return window().resultsLabel()->text(); }
};

// What the driver saw and what was left, for failure messages.
QByteArray Report(const DialogDriver& driver) {
  QStringList lines;
  for (const auto& seen : driver.seen())
    lines << seen.kind + QStringLiteral(" [") + seen.title + QStringLiteral("] ") + seen.text;
  lines << driver.unexpected();
  return lines.join(QLatin1Char('|')).toUtf8();
}

QString Sep() { return QLocale::system().decimalPoint(); }

// Results of the worked examples, in the result label's layout.
QString ResultText(const QString& density, const QString& viscosity, const QString& tension, const QString& heat,
                   const QString& conductivity) {
  return QStringLiteral("ПЛОТНОСТЬ -\n") + density + QStringLiteral("  КГ/(M^3)\n\nВЯЗКОСТЬ - \n") + viscosity +
         QStringLiteral(" ПА*С\n\nПОВЕРХНОСТНОЕ НАТЯЖЕНИЕ - \n") + tension +
         QStringLiteral("  Н/М\n\nТЕПЛОЁМКОСТЬ - \n") + heat + QStringLiteral("  ДЖ/(КГ*К)\n\nТЕПЛОПРОВОДНОСТЬ -\n") +
         conductivity + QStringLiteral("  ВТ/(М*К)");
}

QString SodiumChlorideResults() {
  const QString s = Sep();
  return ResultText(QStringLiteral("1070") + s + QStringLiteral("6"),
                    QStringLiteral("0") + s + QStringLiteral("001208"),
                    QStringLiteral("0") + s + QStringLiteral("07965"), QStringLiteral("3747"),
                    QStringLiteral("0") + s + QStringLiteral("587"));
}

QString WaterAt20Results() {
  const QString s = Sep();
  return ResultText(QStringLiteral("998") + s + QStringLiteral("4"), QStringLiteral("0") + s + QStringLiteral("000998"),
                    QStringLiteral("0") + s + QStringLiteral("07271"), QStringLiteral("4183"),
                    QStringLiteral("0") + s + QStringLiteral("599"));
}

void ClickEntry(MainWindow& window, int row) {
  auto* list = window.substanceList();
  const QRect rect = list->visualItemRect(list->item(row));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void controlGeometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("List1") << "List1" << QRect(3840, 840, 3615, 4050);
    QTest::newRow("Command1") << "Command1" << QRect(240, 5280, 3495, 495);
    QTest::newRow("Label1") << "Label1" << QRect(4200, 120, 3015, 735);
    QTest::newRow("Label2") << "Label2" << QRect(240, 480, 3255, 495);
    QTest::newRow("Label3") << "Label3" << QRect(240, 1080, 3255, 3735);
    QTest::newRow("Label4") << "Label4" << QRect(4800, 5400, 2175, 255);
  }

  void controlGeometry() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    Harness h;
    auto* widget = h.window().findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    const double dpiX = h.window().DpiX();
    const double dpiY = h.window().DpiY();
    const int tolX = static_cast<int>(1440.0 / dpiX) + 1;  // one pixel
    const int tolY = static_cast<int>(1440.0 / dpiY) + 1;
    const QRect g = widget->geometry();
    QVERIFY2(std::abs(PixelsToTwips(g.x(), dpiX) - twips.x()) <= tolX, qPrintable(name));
    QVERIFY2(std::abs(PixelsToTwips(g.y(), dpiY) - twips.y()) <= tolY, qPrintable(name));
    QVERIFY2(std::abs(PixelsToTwips(g.width(), dpiX) - twips.width()) <= tolX, qPrintable(name));
    QVERIFY2(std::abs(PixelsToTwips(g.height(), dpiY) - twips.height()) <= tolY, qPrintable(name));
  }

  void windowAfterStartUp() {
    Harness h;
    MainWindow& w = h.window();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.windowTitle(), QStringLiteral("Физико-химические свойства растворов электролитов"));
    const double dpiX = w.DpiX();
    const double dpiY = w.DpiY();
    const QRect outer = w.frameGeometry();
    const int tol = static_cast<int>(1440.0 / std::min(dpiX, dpiY)) + 1;
    QVERIFY(std::abs(PixelsToTwips(outer.width(), dpiX) - 8000) <= tol);
    QVERIFY(std::abs(PixelsToTwips(outer.height(), dpiY) - 6500) <= tol);
    QVERIFY(std::abs(PixelsToTwips(outer.left(), dpiX) - 2000) <= tol);
    QVERIFY(std::abs(PixelsToTwips(outer.top(), dpiY) - 1000) <= tol);

    QVERIFY(w.instructionLabel()->isVisible());
    QVERIFY(w.substanceList()->isVisible());
    QVERIFY(w.endButton()->isVisible());
    QVERIFY(w.creditLabel()->isVisible());
    QVERIFY(!w.inputsLabel()->isVisible());
    QVERIFY(!w.resultsLabel()->isVisible());
    QCOMPARE(w.instructionLabel()->text(), QStringLiteral("  Выберите указателем мыши\n       нужное Вам вещество и\n"
                                                          "     щёлкните левой  кнопкой "));
    QCOMPARE(w.creditLabel()->text().size(), 18);
    QCOMPARE(w.endButton()->text(), QStringLiteral("Окончание работы с программой"));

    QCOMPARE(w.substanceList()->count(), 19);
    for (int row = 0; row < 19; ++row) {
      const auto& entry = elprops::model::kCatalogue[static_cast<std::size_t>(row)];
      QCOMPARE(w.substanceList()->item(row)->text(),
               QString::fromUtf8(entry.Caption.data(), qsizetype(entry.Caption.size())));
    }
    QVERIFY(w.substanceList()->selectedItems().isEmpty());
    QCOMPARE(h.platform.ListSelection(), -1);
  }

  void focusStartsOnTheEndButton() {
    Harness h;
    h.window().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&h.window()));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(h.window().endButton()));
    QWidget* next = h.window().endButton()->nextInFocusChain();
    while (next != nullptr && next->focusPolicy() == Qt::NoFocus) next = next->nextInFocusChain();
    QCOMPARE(next, static_cast<QWidget*>(h.window().substanceList()));
  }

  void colours() {
    Harness h;
    MainWindow& w = h.window();
    QCOMPARE(w.substanceList()->palette().color(QPalette::Base), QColor(255, 255, 0));
    QCOMPARE(w.substanceList()->palette().color(QPalette::Text), QColor(0, 0, 255));
    QCOMPARE(w.instructionLabel()->palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(w.instructionLabel()->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    QCOMPARE(w.inputsLabel()->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    QCOMPARE(w.resultsLabel()->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    QCOMPARE(w.creditLabel()->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    QCOMPARE(w.endButton()->palette().color(QPalette::Button), QColor(236, 117, 236));
    QVERIFY(w.creditLabel()->font().italic());
  }

  void clickRunsACalculation() {
    Harness h;
    DialogDriver driver;
    driver.Type(QStringLiteral("0,1"));
    driver.Type(QStringLiteral("20"));
    ClickEntry(h.window(), 16);  // sodium chloride
    QVERIFY2(driver.done(), Report(driver).constData());
    QVERIFY2(driver.unexpected().isEmpty(), Report(driver).constData());
    QCOMPARE(driver.seen().at(0).title, QStringLiteral(" ввод концентрации"));
    QCOMPARE(driver.seen().at(0).text,
             QStringLiteral("   Введите концентрацию раствора\nХЛОРИДА НАТРИЯ  в массовых долях "));
    QCOMPARE(driver.seen().at(1).title, QStringLiteral(" ввод температуры"));
    QCOMPARE(h.inputs(), QStringLiteral("КОНЦЕНТРАЦИЯ -  .1 Кг/Кг\nТЕМПЕРАТУРА -  20 Град. Цельсия"));
    QCOMPARE(h.results(), SodiumChlorideResults());
    QVERIFY(h.window().inputsLabel()->isVisible());
    QVERIFY(h.window().resultsLabel()->isVisible());
    QVERIFY(h.window().substanceList()->isVisible());
    QCOMPARE(h.app.Log.LogConcentration(17).size(), std::size_t{1});

    // A click on the entry that is already selected computes another point.
    driver.Type(QStringLiteral("0.1"));
    driver.Type(QStringLiteral("20"));
    ClickEntry(h.window(), 16);
    QVERIFY2(driver.done(), Report(driver).constData());
    QCOMPARE(h.app.Log.LogConcentration(17).size(), std::size_t{2});
  }

  void enterRunsACalculation() {
    Harness h;
    h.window().substanceList()->setCurrentRow(18);  // water, selected without a click
    DialogDriver driver;
    driver.Type(QStringLiteral("20"));
    h.window().substanceList()->setFocus();
    QTest::keyClick(h.window().substanceList(), Qt::Key_Return);
    QVERIFY2(driver.done(), Report(driver).constData());
    QVERIFY2(driver.unexpected().isEmpty(), Report(driver).constData());
    QCOMPARE(driver.seen().size(), std::size_t{1});
    QCOMPARE(driver.seen().at(0).text, QStringLiteral("   Введите температуру\nВОДЫ  в градусах Цельсия "));
    QCOMPARE(h.inputs(), QStringLiteral("\nТЕМПЕРАТУРА -  20 Град. Цельсия"));
    QCOMPARE(h.results(), WaterAt20Results());

    // Other keys start nothing.
    QTest::keyClick(h.window().substanceList(), Qt::Key_Space);
    QTest::keyClick(h.window().substanceList(), Qt::Key_5);
    QCOMPARE(driver.seen().size(), std::size_t{1});
    QVERIFY2(driver.unexpected().isEmpty(), Report(driver).constData());
  }

  void arrowKeysSelectAndCalculate() {
    Harness h;
    h.window().substanceList()->setCurrentRow(17);  // iron chloride
    h.window().substanceList()->setFocus();
    DialogDriver driver;
    driver.Type(QStringLiteral("20"));
    QTest::keyClick(h.window().substanceList(), Qt::Key_Down);  // to water
    QVERIFY2(driver.done(), Report(driver).constData());
    QVERIFY2(driver.unexpected().isEmpty(), Report(driver).constData());
    QCOMPARE(h.platform.ListSelection(), 18);
    QCOMPARE(h.results(), WaterAt20Results());
  }

  void noAtAMessageEndsTheProgram() {
    Harness h;
    DialogDriver driver;
    driver.Type(QStringLiteral("abc"));
    driver.AnswerNo();
    ClickEntry(h.window(), 16);
    QVERIFY2(driver.done(), Report(driver).constData());
    QCOMPARE(driver.seen().at(1).title, QStringLiteral("ОШИБКА !"));
    QCOMPARE(driver.seen().at(1).text, QStringLiteral("Концентрация в массовых долях.    Продолжаете работу ?"));
    QVERIFY(h.platform.EndRequested());
    QVERIFY(h.app.Ended());
    QVERIFY(!h.window().isVisible());
    QVERIFY(h.app.Log.LogConcentration(17).empty());
  }

  // A Yes/No message has no Cancel: Escape and closing the box leave it
  // open, the run goes on after Yes and keeps its log.
  void escapeAndCloseLeaveAMessageOpen_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("typed");  // the bad value, then the good ones
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("substance");
    QTest::newRow("error: concentration not a fraction")
        << 16 << QStringList{QStringLiteral("abc"), QStringLiteral("0.1"), QStringLiteral("20")}
        << QStringLiteral("ОШИБКА !") << 17;
    QTest::newRow("warning: temperature out of range")
        << 18 << QStringList{QStringLiteral("300"), QStringLiteral("20")} << QStringLiteral("ВНИМАНИЕ !") << 19;
  }

  void escapeAndCloseLeaveAMessageOpen() {
    QFETCH(int, row);
    QFETCH(QStringList, typed);
    QFETCH(QString, title);
    QFETCH(int, substance);
    Harness h;
    DialogDriver driver;
    driver.Type(typed.at(0));
    driver.EscapeCloseThenYes();
    for (qsizetype i = 1; i < typed.size(); ++i) driver.Type(typed.at(i));
    ClickEntry(h.window(), row);
    QVERIFY2(driver.done(), Report(driver).constData());
    QVERIFY2(driver.unexpected().isEmpty(), Report(driver).constData());
    QCOMPARE(driver.seen().at(1).title, title);
    QVERIFY(driver.seen().at(1).openAfterEscape);
    QVERIFY(driver.seen().at(1).openAfterClose);
    QVERIFY(!h.platform.EndRequested());
    QVERIFY(!h.app.Ended());
    QVERIFY(h.window().isVisible());
    QVERIFY(h.window().resultsLabel()->isVisible());
    QCOMPARE(h.app.Log.LogTemperature(static_cast<std::uint8_t>(substance)).size(), std::size_t{1});
  }

  void commaLocale() {
    const bool russian = qgetenv("LC_ALL").startsWith("ru");
    if (!russian) QSKIP("runs under LC_ALL=ru_RU.UTF-8 (test elprops_gui_tests_ru)");
    QCOMPARE(QLocale::system().decimalPoint(), QStringLiteral(","));
    Harness h;
    DialogDriver driver;
    driver.Type(QStringLiteral("0,1"));
    driver.Type(QStringLiteral("20"));
    ClickEntry(h.window(), 16);
    QVERIFY2(driver.done(), Report(driver).constData());
    QCOMPARE(h.inputs(), QStringLiteral("КОНЦЕНТРАЦИЯ -  .1 Кг/Кг\nТЕМПЕРАТУРА -  20 Град. Цельсия"));
    QVERIFY(h.results().contains(QStringLiteral("1070,6  КГ/(M^3)")));
    QCOMPARE(h.results(), SodiumChlorideResults());
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
