// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/first_shown.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

#include "base/start_timeline.h"

namespace lyrabox {
namespace {

// How long a window that the display does not expose holds back what waits for it.
constexpr int kUnexposedWaitMs = 1000;

class FirstExposeWatch final : public QObject {
 public:
  FirstExposeWatch(QWidget& window, std::function<void()> then)
      : QObject(&window), then_(std::move(then)) {
    QWindow* native = window.windowHandle();
    if (native != nullptr && native->isExposed()) {
      Exposed();
      return;
    }
    if (native != nullptr) native->installEventFilter(this);
    QTimer::singleShot(kUnexposedWaitMs, this, [this] { Run(); });
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      Exposed();
    }
    return false;
  }

 private:
  void Exposed() {
    timeline::Mark("window shown");
    // Queued: the expose is drawn first, when this event has been handled.
    QTimer::singleShot(0, this, [this] { Run(); });
  }

  void Run() {
    if (!then_) return;
    const std::function<void()> then = std::move(then_);
    then_ = nullptr;
    then();
  }

  std::function<void()> then_;
};

}  // namespace

void AfterFirstShown(QWidget& window, std::function<void()> then) {
  new FirstExposeWatch(window, std::move(then));
}

}  // namespace lyrabox
