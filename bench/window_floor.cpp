// The floor of the window start-up benchmark: the least a Qt Widgets
// program does before its first window is on the screen (an empty window
// with one label). Not part of elprops; bench_window_startup starts it.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QLabel window(QStringLiteral("floor"));
  window.setWindowTitle(QStringLiteral("floor"));
  window.show();
  return QApplication::exec();
}
