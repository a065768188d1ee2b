// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/qt_boxes.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QString>

#include "ui/system_text.h"

namespace lyrabox {
namespace {

// Boxes sit over the window that is active, or centred on the screen before it shows.
QWidget* Owner() { return QApplication::activeWindow(); }

}  // namespace

void QtBoxes::Message(std::string_view text) {
  QMessageBox box(QMessageBox::NoIcon, identity::kTitle, FromSystemText(text), QMessageBox::Ok,
                  Owner());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool QtBoxes::Question(std::string_view text) {
  QMessageBox box(QMessageBox::Question, identity::kTitle, FromSystemText(text),
                  QMessageBox::Yes | QMessageBox::No, Owner());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

std::string QtBoxes::Input(std::string_view prompt, std::string_view title,
                           std::string_view defaultText) {
  QInputDialog box(Owner());
  box.setWindowTitle(title.empty() ? QString(identity::kTitle) : FromSystemText(title));
  box.setLabelText(FromSystemText(prompt));
  box.setInputMode(QInputDialog::TextInput);
  box.setTextValue(FromSystemText(defaultText));
  if (box.exec() != QDialog::Accepted) return "";
  return ToSystemText(box.textValue());
}

}  // namespace lyrabox
