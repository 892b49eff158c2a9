// The main window Form1 and its controls, laid out in twips.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include "platform/platform.h"

namespace elprops::platform {

// Twips (1440 per inch) to pixels and back, with the screen's logical DPI.
int TwipsToPixels(int twips, double dotsPerInch);
int PixelsToTwips(int pixels, double dotsPerInch);

// The substance list: keys that move the selection (arrows, page keys, Home,
// End) raise a click, as a mouse click does; character keys are passed on as
// key presses and select nothing. Every caption begins with blanks, so a
// search by typed characters could only ever jump on the space bar; there
// is none.
class SubstanceList final : public QListWidget {
  Q_OBJECT
 public:
  using QListWidget::QListWidget;

 signals:
  void listClicked();
  void keyPressed(int keyAscii);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyboardSearch(const QString& search) override;
};

class MainWindow final : public QWidget {
  Q_OBJECT
 public:
  MainWindow();

  // The credit line shown in the credit label.
  static const char* CreditCaption();

  // Outer size and place of the window, in twips.
  void SetOuterWidth(int twips);
  void SetOuterHeight(int twips);
  void SetOuterTop(int twips);
  void SetOuterLeft(int twips);

  // The controls by role; their object names are the documented ones
  // ("List1", "Command1", "Label1" to "Label4").
  QWidget* control(Control which) const;
  SubstanceList* substanceList() const { return substanceList_; }
  QPushButton* endButton() const { return endButton_; }
  QLabel* instructionLabel() const { return instructionLabel_; }
  QLabel* inputsLabel() const { return inputsLabel_; }
  QLabel* resultsLabel() const { return resultsLabel_; }
  QLabel* creditLabel() const { return creditLabel_; }

  // Logical DPI of the screen the window is on.
  double DpiX() const;
  double DpiY() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void PlaceControl(QWidget* widget, int left, int top, int width, int height);
  void ApplyOuterGeometry();

  SubstanceList* substanceList_;
  QPushButton* endButton_;
  QLabel* instructionLabel_;
  QLabel* inputsLabel_;
  QLabel* resultsLabel_;
  QLabel* creditLabel_;
  int outerWidth_ = 8000;
  int outerHeight_ = 6500;
  int outerTop_ = 1000;
  int outerLeft_ = 2000;
};

}  // namespace elprops::platform
