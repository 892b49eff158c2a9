// Answers the program's modal dialogs in Qt Test, one scripted step at a time.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>

class DialogDriver final : public QObject {
  Q_OBJECT
 public:
  struct Seen {
    QString kind;  // "input" or "message"
    QString title;
    QString text;  // prompt or message text
    // For EscapeCloseThenYes: whether the box was still open after Escape
    // and after a request to close it.
    bool openAfterEscape = false;
    bool openAfterClose = false;
  };

  DialogDriver();

  // The next input box gets `text` typed and OK pressed (or Cancel).
  void Type(const QString& text);
  void Cancel();
  // The next message box is answered Yes or No.
  void AnswerYes();
  void AnswerNo();
  // The next message box gets Escape, then a request to close it (as the
  // window's close button sends), then is answered Yes if it is still open.
  void EscapeCloseThenYes();

  [[nodiscard]] const std::vector<Seen>& seen() const { return seen_; }
  // Dialogs that came when no step was left (they are closed).
  [[nodiscard]] const QStringList& unexpected() const { return unexpected_; }
  [[nodiscard]] bool done() const { return steps_.empty(); }

 private:
  struct Step {
    QString kind;
    QString text;
    bool accept = true;
    bool escapeAndClose = false;
  };
  void Poll();

  std::deque<Step> steps_;
  std::vector<Seen> seen_;
  QStringList unexpected_;
  QTimer timer_;
};
