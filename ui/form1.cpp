#include "ui/form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTimer>

#include "engine/guard.h"
#include "ui/layout/form1_events.h"
#include "ui/layout/form1_layout.h"
#include "ui/fonts.h"
#include "ui/icon.h"

namespace lyrabox {
namespace {

constexpr int kClientWidth = TwipsToPixels(layout::kClientWidth);
constexpr int kClientHeight = TwipsToPixels(layout::kClientHeight);

// The classic standard colour scheme's scroll-bar grey, which the time display uses for
// its digits (Qt has no scroll-bar role to read it from).
constexpr QRgb kScrollBarGrey = qRgb(0xC0, 0xC0, 0xC0);

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

QString FromSystemText(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

Form1::Form1(platform::Platform& platform, QWidget* parent)
    : QMainWindow(parent), platform_(platform), player_(platform, *this), lifecycle_(player_) {
  setObjectName("Form1");
  setWindowTitle(layout::kTitle);
  setWindowIcon(LyraboxIcon());
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

  Timer1_ = new QTimer(this);
  Timer1_->setObjectName("Timer1");
  Timer1_->setInterval(layout::kTimer1IntervalMs);

  WireEvents();

  // The window takes exactly the menu bar and the client area, and cannot be resized.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
}

Form1::~Form1() = default;

void Form1::BuildControls(QWidget* client) {
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
        // the display is disabled for the whole run and must stay readable.
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
        button->setEnabled(false);
        break;
      }
    }
    widget->setObjectName(ControlName(control.control));
    widget->setFont(FontOf(control));
    widget->setGeometry(PixelRect(control));
    if (control.control == Control::timeWindow) widget->setEnabled(false);
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void Form1::BuildMenu() {
  // Inside the window on every desktop: the client area sits below it.
  menuBar()->setNativeMenuBar(false);
  options_ = menuBar()->addMenu(layout::kOptionsMenu);
  options_->setObjectName("options");
  ffspeed_ = options_->addAction(layout::kFfspeedItem);
  ffspeed_->setObjectName("ffspeed");
  ffspeed_->setMenuRole(QAction::NoRole);
}

void Form1::WireEvents() {
  for (const layout::Click& click : layout::kClicks) {
    auto* button = static_cast<QPushButton*>(ControlWidget(click.control));
    connect(button, &QPushButton::clicked, this, [this, operation = click.operation] {
      RunEvent([this, operation] { (player_.*operation)(); });
    });
  }
  connect(ffspeed_, &QAction::triggered, this,
          [this] { RunEvent([this] { (player_.*layout::kFfspeedOperation)(); }); });
  connect(Timer1_, &QTimer::timeout, this, &Form1::OnTimer1Tick);
}

template <typename Operation>
void Form1::RunEvent(Operation&& operation) {
  if (events_.Run(platform_, operation)) emit EventRan();
}

void Form1::OnTimer1Tick() {
  // A box of ours runs a nested event loop; the poll waits until it is answered.
  if (unloaded_ || QApplication::activeModalWidget() != nullptr) return;
  RunEvent([this] { player_.TimerTick(); });
}

void Form1::Load() {
  RunEvent([this] { lifecycle_.Load(); });
}

void Form1::ShowCentred() {
  QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen->availableGeometry()));
  }
  show();
}

void Form1::closeEvent(QCloseEvent* event) {
  if (unloaded_) {
    event->accept();
    return;
  }
  if (events_.Running()) {
    // Only reachable while a box of another event is open: that event finishes first.
    event->ignore();
    return;
  }
  RunEvent([this] { player_.ClosePrompt(); });
  RunEvent([this] { lifecycle_.Unload(); });
  unloaded_ = true;
  Timer1_->stop();
  event->accept();
}

QWidget* Form1::ControlWidget(Control control) const {
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

void Form1::SetEnabled(Control control, bool enabled) {
  ControlWidget(control)->setEnabled(enabled);
}

void Form1::SetText(Control control, std::string_view text) {
  const QString value = FromSystemText(text);
  switch (control) {
    case Control::timeWindow: timeWindow_->setText(value); break;
    case Control::totalplay: totalplay_->setText(value); break;
    case Control::tracktime: tracktime_->setText(value); break;
    default: static_cast<QPushButton*>(ControlWidget(control))->setText(value); break;
  }
}

void Form1::SetTimerEnabled(bool enabled) {
  if (!enabled) {
    Timer1_->stop();
  } else if (!Timer1_->isActive()) {
    Timer1_->start();
  }
}

platform::WindowHandle Form1::NativeHandle() {
  return static_cast<platform::WindowHandle>(winId());
}

}  // namespace lyrabox
