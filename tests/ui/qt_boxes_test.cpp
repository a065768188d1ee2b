// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt boxes: title, icon, buttons and what each answer returns. Each test answers
// the box from inside its own event loop; a box that is not found is closed, so a
// failing test never hangs.
#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

#include "ui/qt_boxes.h"

namespace lyrabox::testing {
namespace {

// Runs `answer` on the next box that opens, from within its event loop.
template <typename Box>
void WhenBoxOpens(std::function<void(Box&)> answer) {
  QTimer::singleShot(0, [answer] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* box = qobject_cast<Box*>(modal);
    EXPECT_NE(box, nullptr) << "no box of the expected kind is open";
    if (box != nullptr) answer(*box);
    if (QWidget* still = QApplication::activeModalWidget()) still->close();
  });
}

QMessageBox::StandardButtons Buttons(const QMessageBox& box) {
  QMessageBox::StandardButtons buttons;
  for (QAbstractButton* button : box.buttons()) buttons |= box.standardButton(button);
  return buttons;
}

TEST(QtBoxes, MessageHasTheTitleAnOkButtonAndNoIcon) {
  QtBoxes boxes;
  bool seen = false;
  WhenBoxOpens<QMessageBox>([&seen](QMessageBox& box) {
    seen = true;
    EXPECT_EQ(box.windowTitle(), "Lyrabox");
    EXPECT_EQ(box.text(), "The device driver is not ready. <b>&</b>");
    EXPECT_EQ(box.textFormat(), Qt::PlainText);
    EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
    EXPECT_EQ(Buttons(box), QMessageBox::StandardButtons(QMessageBox::Ok));
    box.button(QMessageBox::Ok)->click();
  });
  boxes.Message("The device driver is not ready. <b>&</b>");
  EXPECT_TRUE(seen);
}

TEST(QtBoxes, QuestionAsksYesOrNoWithTheQuestionIcon) {
  QtBoxes boxes;
  WhenBoxOpens<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.windowTitle(), "Lyrabox");
    EXPECT_EQ(box.text(), "Bookmark & Save before Closing ?");
    EXPECT_EQ(box.icon(), QMessageBox::Question);
    EXPECT_EQ(Buttons(box), QMessageBox::Yes | QMessageBox::No);
    box.button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(boxes.Question("Bookmark & Save before Closing ?"));

  WhenBoxOpens<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::No)->click(); });
  EXPECT_FALSE(boxes.Question("Again ?"));

  // Closing the box without an answer is a No.
  WhenBoxOpens<QMessageBox>([](QMessageBox& box) { box.close(); });
  EXPECT_FALSE(boxes.Question("Again ?"));

  // From the keyboard: Y and N, Enter for Yes (the default), Escape for No.
  const std::pair<Qt::Key, bool> kKeys[] = {
      {Qt::Key_Y, true}, {Qt::Key_N, false}, {Qt::Key_Return, true}, {Qt::Key_Escape, false}};
  for (const auto& [key, yes] : kKeys) {
    // A letter presses its button with a short animation, after this returns: the box
    // is left open for it, and closed only should nothing answer it in good time.
    QTimer::singleShot(0, [key] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      QTest::keyClick(box, key);
      QTimer::singleShot(10000, box, &QWidget::close);
    });
    EXPECT_EQ(boxes.Question("Again ?"), yes) << QKeySequence(key).toString().toStdString();
  }
}

TEST(QtBoxes, InputShowsPromptTitleAndDefaultAndReturnsTheEntryOrNothing) {
  QtBoxes boxes;
  WhenBoxOpens<QInputDialog>([](QInputDialog& box) {
    EXPECT_EQ(box.windowTitle(), "Fast Forward Speed");
    EXPECT_EQ(box.labelText(), "Enter the new speed in seconds");
    EXPECT_EQ(box.textValue(), "5");
    box.setTextValue("12");
    box.accept();
  });
  EXPECT_EQ(boxes.Input("Enter the new speed in seconds", "Fast Forward Speed", "5"), "12");

  WhenBoxOpens<QInputDialog>([](QInputDialog& box) {
    box.setTextValue("30");
    box.reject();
  });
  EXPECT_EQ(boxes.Input("Enter the new speed in seconds", "Fast Forward Speed", "5"), "");

  // Without a title of its own the box carries the application's.
  WhenBoxOpens<QInputDialog>([](QInputDialog& box) {
    EXPECT_EQ(box.windowTitle(), "Lyrabox");
    box.accept();
  });
  EXPECT_EQ(boxes.Input("Prompt", "", "keep"), "keep");
}

}  // namespace
}  // namespace lyrabox::testing
