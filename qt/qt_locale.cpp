#include "qt/qt_locale.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QString>

namespace elprops::platform {

std::string SystemLocale::DecimalSeparator() const { return QLocale::system().decimalPoint().toStdString(); }

std::string SystemLocale::ShortDateDay(int day) const {
  // The day field of the short date format: "dd" pads, "d" does not.
  const QString format = QLocale::system().dateFormat(QLocale::ShortFormat);
  const QRegularExpression dayField(QStringLiteral("(?<!d)(d{1,2})(?!d)"));
  const auto match = dayField.match(format);
  const bool padded = match.hasMatch() && match.capturedLength(1) == 2;
  QString text = QString::number(day);
  if (padded && text.size() < 2) text.prepend(QLatin1Char('0'));
  return text.toStdString();
}

std::string SystemLocale::TimeText(const LocalDateTime& when) const {
  // The long time format has the seconds; the time zone is left out.
  QString format = QLocale::system().timeFormat(QLocale::LongFormat);
  format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
  if (!format.contains(QLatin1Char('s'))) format = QStringLiteral("HH:mm:ss");
  const QTime time(when.hour, when.minute, when.second);
  return QLocale::system().toString(time, format.trimmed()).toStdString();
}

LocalDateTime SystemClock::Now() const {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate date = now.date();
  const QTime time = now.time();
  return LocalDateTime{date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

}  // namespace elprops::platform
