// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QSessionManager>
#include <QStringList>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>

#include "engine/spoken.h"
#include "ui/layout/accessible_names.h"
#include "ui/layout/main_window_layout.h"
#include "ui/fonts.h"
#include "ui/icon.h"
#include "ui/system_text.h"

namespace lyrabox {
namespace {

constexpr int kClientWidth = TwipsToPixels(layout::kClientWidth);
constexpr int kClientHeight = TwipsToPixels(layout::kClientHeight);

// The classic standard colour scheme's scroll-bar grey, which the time display uses for
// its digits (Qt has no scroll-bar role to read it from).
constexpr QRgb kScrollBarGrey = qRgb(0xC0, 0xC0, 0xC0);

// Qt lays a tooltip out as rich text whenever it merely looks like markup
// (Qt::mightBeRichText), and a title of nested tables or a huge image from a disc or
// the service would freeze the window or fill its memory. A name is text, whatever it
// holds: such a tooltip goes escaped, as one paragraph of plain text.
QString AsPlainTooltip(const QString& text) {
  return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

// A screen reader hears of every change of these, so each is set only when it changes.
void SetAccessibleName(QWidget* widget, const std::string& name) {
  const QString text = QString::fromStdString(name);
  if (text != widget->accessibleName()) widget->setAccessibleName(text);
}
void SetAccessibleDescription(QWidget* widget, const std::string& description) {
  const QString text = QString::fromStdString(description);
  if (text != widget->accessibleDescription()) widget->setAccessibleDescription(text);
}

QRect PixelRect(const layout::ControlLayout& control) {
  return QRect(TwipsToPixels(control.left), TwipsToPixels(control.top),
               TwipsToPixels(control.width), TwipsToPixels(control.height));
}

// The stand-in on this system for the face the layout names.
QFont FontOf(const layout::ControlLayout& control) {
  switch (control.face) {
    case layout::Face::Arial: return ArialFont(control.points, control.bold);
    case layout::Face::SansSerif: return SansSerifFont(control.points, control.bold);
    case layout::Face::WindowDefault: break;
  }
  return WindowDefaultFont();
}

}  // namespace

MainWindow::MainWindow(platform::Platform& platform, QWidget* parent)
    : QMainWindow(parent), controller_(platform, *this) {
  setObjectName("Form1");
  setWindowTitle(layout::kTitle);
  // The application's icon, which the boxes show too, and so this window's.
  QApplication::setWindowIcon(LyraboxIcon());
  // A fixed single border: the close box and one of minimise and maximise (minimise).
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  auto* client = new QWidget(this);
  client->setObjectName("client");
  client->setFont(WindowDefaultFont());
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);

  BuildControls(client);
  BuildMenu();

  pollTimer_ = new QTimer(this);
  pollTimer_->setObjectName("Timer1");
  pollTimer_->setInterval(layout::kPollIntervalMs);

  WireEvents();

  // The window takes exactly the menu bar and the client area, and cannot be resized.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls(QWidget* client) {
  QWidget* previous = nullptr;
  for (const layout::ControlLayout& control : layout::kControls) {
    QWidget* widget = nullptr;
    switch (control.control) {
      case Control::timeWindow: {
        auto* display = new QLineEdit(client);
        display->setReadOnly(true);
        display->setFocusPolicy(Qt::NoFocus);
        display->setContextMenuPolicy(Qt::NoContextMenu);
        display->setAlignment(Qt::AlignCenter);
        // Black ground (the window-text colour), grey digits; in every state, since
        // the display is disabled for the whole run (the layout table says so) and
        // must stay readable.
        QPalette colours = display->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
          colours.setColor(group, QPalette::Base, Qt::black);
          colours.setColor(group, QPalette::Window, Qt::black);
          colours.setColor(group, QPalette::Text, QColor(kScrollBarGrey));
        }
        display->setPalette(colours);
        timeWindow_ = display;
        widget = display;
        break;
      }
      case Control::totalplay:
      case Control::tracktime: {
        auto* label = new QLabel(client);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        (control.control == Control::totalplay ? totalplay_ : tracktime_) = label;
        widget = label;
        break;
      }
      default: {
        auto* button = new QPushButton(QString::fromLatin1(control.caption), client);
        button->setAutoDefault(false);
        button->installEventFilter(this);
        QPushButton** slot = nullptr;
        switch (control.control) {
          case Control::play: slot = &play_; break;
          case Control::pause: slot = &pause_; break;
          case Control::stopbtn: slot = &stopbtn_; break;
          case Control::btrack: slot = &btrack_; break;
          case Control::ftrack: slot = &ftrack_; break;
          case Control::rew: slot = &rew_; break;
          case Control::ff: slot = &ff_; break;
          case Control::eject: slot = &eject_; break;
          default: slot = &Bookmark_; break;
        }
        *slot = button;
        widget = button;
        break;
      }
    }
    widget->setObjectName(ControlName(control.control));
    widget->setFont(FontOf(control));
    widget->setGeometry(PixelRect(control));
    widget->setEnabled(control.enabled);
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void MainWindow::BuildMenu() {
  // Inside the window on every desktop: the client area sits below it.
  menuBar()->setNativeMenuBar(false);
  options_ = menuBar()->addMenu(layout::kOptionsMenu);
  options_->setObjectName("options");
  ffspeed_ = options_->addAction(layout::kFfspeedItem);
  ffspeed_->setObjectName("ffspeed");
  ffspeed_->setMenuRole(QAction::NoRole);
  about_ = options_->addAction(layout::kAboutItem);
  about_->setObjectName("about");
  about_->setMenuRole(QAction::NoRole);
}

void MainWindow::WireEvents() {
  for (const layout::ControlLayout& control : layout::kControls) {
    if (control.kind != layout::Kind::Button) continue;
    connect(static_cast<QPushButton*>(ControlWidget(control.control)), &QPushButton::clicked,
            this, [this, which = control.control] { controller_.Click(which); });
  }
  connect(ffspeed_, &QAction::triggered, this, [this] { controller_.ChooseFastForwardSpeed(); });
  connect(about_, &QAction::triggered, this, [this] { controller_.About(); });
  connect(pollTimer_, &QTimer::timeout, this, [this] { controller_.Tick(); });
  // The end of the session: the session manager asks the player to save its work (it
  // may yet be a checkpoint, or a log-off that another program cancels, so the window
  // stays), then the application quits with the window still open.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
    if (!manager.allowsInteraction()) return;
    controller_.SessionQuery();
    manager.release();
  });
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { controller_.SessionEnd(); });
  controller_.Observe([this](const PlayerView& view) { ShowView(view); });
}

void MainWindow::ShowView(const PlayerView& view) {
  // The names are UTF-8, unlike the logic's own texts.
  const QString tooltip = AsPlainTooltip(QString::fromStdString(TrackTooltip(view)));
  if (tooltip != timeWindow_->toolTip()) timeWindow_->setToolTip(tooltip);

  // The displays in words. The time display's name runs with the position, but it
  // never takes the focus, so its name is read when asked for, not spoken as it
  // changes; its description (the mode and the track) changes once for each change of
  // either, and is what is announced.
  SetAccessibleName(timeWindow_, SpokenPosition(view));
  SetAccessibleDescription(timeWindow_, SpokenState(view));
  SetAccessibleName(totalplay_, SpokenTotals(view));
  SetAccessibleName(tracktime_, SpokenTrackLength(view));
  for (const layout::AccessibleText& text : layout::kAccessibleTexts) {
    QWidget* button = ControlWidget(text.control);
    SetAccessibleName(button, text.name);
    SetAccessibleDescription(button, layout::AccessibleDescription(text, view.fastForwardStep));
  }
}

void MainWindow::ShowCentred() {
  QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen->availableGeometry()));
  }
  show();
}

void MainWindow::Raise() {
  showNormal();
  raise();
  activateWindow();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // Space presses a focused button in Qt; Enter does so only in a dialog. Here it
  // presses the focused button too, as it does in the native Windows window.
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      if (!key->isAutoRepeat()) static_cast<QPushButton*>(watched)->click();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (controller_.CloseRequest()) {
    event->accept();
  } else {
    event->ignore();
  }
}

QWidget* MainWindow::ControlWidget(Control control) const {
  switch (control) {
    case Control::timeWindow: return timeWindow_;
    case Control::play: return play_;
    case Control::pause: return pause_;
    case Control::stopbtn: return stopbtn_;
    case Control::btrack: return btrack_;
    case Control::ftrack: return ftrack_;
    case Control::rew: return rew_;
    case Control::ff: return ff_;
    case Control::eject: return eject_;
    case Control::totalplay: return totalplay_;
    case Control::tracktime: return tracktime_;
    case Control::Bookmark: return Bookmark_;
  }
  return nullptr;
}

void MainWindow::SetEnabled(Control control, bool enabled) {
  ControlWidget(control)->setEnabled(enabled);
}

void MainWindow::SetText(Control control, std::string_view text) {
  const QString value = FromSystemText(text);
  switch (control) {
    case Control::timeWindow: timeWindow_->setText(value); break;
    case Control::totalplay: totalplay_->setText(value); break;
    case Control::tracktime: tracktime_->setText(value); break;
    default: static_cast<QPushButton*>(ControlWidget(control))->setText(value); break;
  }
}

void MainWindow::SetTimerEnabled(bool enabled) {
  if (!enabled) {
    pollTimer_->stop();
  } else if (!pollTimer_->isActive()) {
    pollTimer_->start();
  }
}

platform::WindowHandle MainWindow::NativeHandle() {
  return static_cast<platform::WindowHandle>(winId());
}

}  // namespace lyrabox
