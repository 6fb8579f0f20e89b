#include "ui/window_layer_headless.h"

#include <condition_variable>
#include <deque>
#include <thread>

#include "resources/resource.h"
#include "ui/area_marks.h"
#include "ui/position_keeper.h"
#include "ui/settings_window_logic.h"
#include "ui/window_model.h"

HeadlessWindowState& HeadlessScreen::Of(WindowKind kind) {
  switch (kind) {
    case WindowKind::kAreaGrid:
      return areaGrid;
    case WindowKind::kPanel:
      return panel;
    case WindowKind::kSettings:
    default:
      return settings;
  }
}

namespace {

struct HeadlessSession : WindowSession {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<HeadlessMessage> queue;
  uint64_t posted = 0;   // messages queued so far
  uint64_t handled = 0;  // messages the thread has finished with
  std::thread thread;

  uint64_t Push(const HeadlessMessage& message) {
    std::lock_guard<std::mutex> guard(mutex);
    queue.push_back(message);
    changed.notify_all();
    return ++posted;
  }
  HeadlessMessage Next() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !queue.empty(); });
    HeadlessMessage message = queue.front();
    queue.pop_front();
    return message;
  }
  void Done() {
    std::lock_guard<std::mutex> guard(mutex);
    ++handled;
    changed.notify_all();
  }
};

HeadlessSession& Of(WindowSession& session) {
  return static_cast<HeadlessSession&>(session);
}

// Pixel sizes a screen would give the three templates.
constexpr ScreenRect kSetupSize{0, 0, 168, 148};
constexpr ScreenRect kGridSize{0, 0, 208, 215};
constexpr ScreenRect kPanelSize{0, 0, 370, 230};

// A stand-in window: its state lives in the layer's screen.
template <typename Base>
class HeadlessWindow : public Base {
 public:
  HeadlessWindow(HeadlessWindowLayer& layer, WindowKind kind, ScreenRect size,
                 const std::string& title, bool visible)
      : layer_(layer), kind_(kind) {
    layer_.Change(kind_, [&](HeadlessWindowState& w) {
      w = HeadlessWindowState();
      w.open = true;
      w.visible = visible;
      w.title = title;
      w.rect = size;
    });
  }
  ~HeadlessWindow() override {
    layer_.Change(kind_, [](HeadlessWindowState& w) {
      w.open = false;
      w.visible = false;
    });
  }

  ScreenRect WindowRect() const override { return layer_.Read(kind_).rect; }
  void MoveTo(int x, int y) override {
    layer_.Change(kind_, [&](HeadlessWindowState& w) {
      w.rect = {x, y, x + w.rect.right - w.rect.left, y + w.rect.bottom - w.rect.top};
    });
  }
  void MakeTopmost() override {
    layer_.Change(kind_, [](HeadlessWindowState& w) { w.topmost = true; });
  }
  void SetTitle(const std::string& title) override {
    layer_.Change(kind_, [&](HeadlessWindowState& w) { w.title = title; });
  }
  void Show() {
    layer_.Change(kind_, [](HeadlessWindowState& w) { w.visible = true; });
  }
  // The close box of a view window only hides it.
  void Hide() {
    layer_.Change(kind_, [](HeadlessWindowState& w) { w.visible = false; });
  }

 protected:
  HeadlessWindowLayer& layer_;
  const WindowKind kind_;
};

// What the settings window needs of a view to forward the user's actions.
class HeadlessViewControls {
 public:
  virtual ~HeadlessViewControls() = default;
  virtual void Hover() = 0;
  virtual void CloseBox() = 0;
  virtual void DragTo(int x, int y) = 0;
};

class HeadlessAreaGrid : public HeadlessWindow<AreaGridView>, public HeadlessViewControls {
 public:
  HeadlessAreaGrid(HeadlessWindowLayer& layer, WindowContext& context)
      : HeadlessWindow(layer, WindowKind::kAreaGrid, kGridSize, "Brazil Area", true),
        position_(context.model->settings(), kAreaGridPlace) {
    layer_.Change(kind_, [](HeadlessWindowState& w) {
      for (const AreaBox& box : kAreaBoxes) w.checks[box.control] = false;
    });
    PlaceViewWindow(*this, position_, context.onTop.load());
  }
  void ShowMarks(const AreaMarks& marks) override {
    layer_.Change(kind_, [&](HeadlessWindowState& w) {
      for (size_t i = 0; i < marks.size(); ++i) w.checks[kAreaBoxes[i].control] = marks[i];
    });
  }
  void Hover() override { position_.Save(*this); }
  void CloseBox() override { Hide(); }
  void DragTo(int x, int y) override { MoveTo(x, y); }

 private:
  PositionKeeper position_;
};

class HeadlessPanel : public HeadlessWindow<PanelView>, public HeadlessViewControls {
 public:
  HeadlessPanel(HeadlessWindowLayer& layer, WindowContext& context)
      : HeadlessWindow(layer, WindowKind::kPanel, kPanelSize, "Previous QSO", false),
        context_(context),
        position_(context.model->settings(), kPreviousQsoPlace) {
    PlaceViewWindow(*this, position_, context.onTop.load());
  }
  void Repaint() override {
    const ScreenRect rect = WindowRect();
    // The button keeps a 5-pixel margin inside the window.
    const ScreenRect item{0, 0, rect.right - rect.left - 10, rect.bottom - rect.top - 10};
    PanelPicture picture = LayoutPanel(context_.model->PanelState(), item);
    layer_.Change(kind_, [&](HeadlessWindowState& w) {
      ++w.repaints;
      w.picture = std::move(picture);
    });
  }
  void Hover() override { position_.Save(*this); }
  void CloseBox() override { Hide(); }
  void DragTo(int x, int y) override { MoveTo(x, y); }

 private:
  WindowContext& context_;
  PositionKeeper position_;
};

// The settings window stand-in. Its check boxes behave as automatic ones:
// a click flips the box, then the window hears of it.
class HeadlessSettingsWindow : public HeadlessWindow<SettingsSurface> {
 public:
  HeadlessSettingsWindow(HeadlessWindowLayer& layer, WindowContext& context, HostLink& host,
                         HeadlessSession& session)
      : HeadlessWindow(layer, WindowKind::kSettings, kSetupSize, "Setup TZQ", true),
        context_(context),
        session_(session),
        logic_(context, host, *this) {}

  void Initialise() { logic_.Initialise(); }

  void PushFlags(const SettingsFlags& f) override {
    layer_.Change(kind_, [&](HeadlessWindowState& w) {
      for (const SettingsBox& box : kSettingsBoxes) w.checks[box.control] = f.*box.flag;
    });
  }
  void PostUpdate() override { session_.Push({HeadlessMessage::kUpdate}); }
  std::unique_ptr<AreaGridView> OpenAreaGrid() override {
    return std::make_unique<HeadlessAreaGrid>(layer_, context_);
  }
  std::unique_ptr<PanelView> OpenPanel() override {
    auto panel = std::make_unique<HeadlessPanel>(layer_, context_);
    panel->Show();
    return panel;
  }

  void Click(int control) {
    layer_.Change(kind_, [&](HeadlessWindowState& w) {
      auto box = w.checks.find(control);
      if (box != w.checks.end()) box->second = !box->second;
    });
    logic_.OnClicked(control);
  }
  void Update() { logic_.HandleUpdate(); }
  void Hover() { logic_.SavePosition(); }
  void CloseViews() { logic_.CloseViews(); }

  HeadlessViewControls* View(WindowKind kind) {
    if (kind == WindowKind::kAreaGrid)
      return dynamic_cast<HeadlessViewControls*>(logic_.areaGrid());
    if (kind == WindowKind::kPanel) return dynamic_cast<HeadlessViewControls*>(logic_.panel());
    return nullptr;
  }

 private:
  WindowContext& context_;
  HeadlessSession& session_;
  SettingsWindowLogic logic_;
};

}  // namespace

HeadlessWindowLayer::HeadlessWindowLayer(LinkFactory links, WaitHook wait)
    : links_(std::move(links)), wait_(std::move(wait)) {}

HeadlessWindowLayer::~HeadlessWindowLayer() {
  CloseWindows();
  Shutdown();
}

HeadlessWindowState HeadlessWindowLayer::Read(WindowKind kind) const {
  std::lock_guard<std::mutex> guard(screen_mutex_);
  return screen_.Of(kind);
}

HeadlessScreen HeadlessWindowLayer::Screen() const {
  std::lock_guard<std::mutex> guard(screen_mutex_);
  return screen_;
}

std::unique_ptr<WindowSession> HeadlessWindowLayer::NewSession() {
  return std::make_unique<HeadlessSession>();
}

bool HeadlessWindowLayer::Launch(WindowSession& session) {
  try {
    Of(session).thread = std::thread([this, &session] { Run(session); });
    return true;
  } catch (...) {
    return false;  // no thread: no window, as when the system refuses one
  }
}

void HeadlessWindowLayer::Run(WindowSession& base) {
  HeadlessSession& session = Of(base);
  try {
    std::unique_ptr<HostLink> link = links_();
    {
      HeadlessSettingsWindow setup(*this, context_, *link, session);
      {
        std::lock_guard<std::mutex> guard(screen_mutex_);
        ++screen_.settingsWindowsOpened;
      }
      setup.Initialise();
      session.ready.store(true);
      for (bool open = true; open;) {
        const HeadlessMessage message = session.Next();
        switch (message.kind) {
          case HeadlessMessage::kUpdate:
            setup.Update();
            break;
          case HeadlessMessage::kClick:
            setup.Click(message.control);
            break;
          case HeadlessMessage::kDrag:
            if (message.window == WindowKind::kSettings) {
              setup.MoveTo(message.x, message.y);
              setup.Hover();
            } else if (HeadlessViewControls* view = setup.View(message.window)) {
              view->DragTo(message.x, message.y);
              view->Hover();
            }
            break;
          case HeadlessMessage::kCloseBox:
            if (message.window == WindowKind::kSettings) {
              open = false;
            } else if (HeadlessViewControls* view = setup.View(message.window)) {
              view->CloseBox();
            }
            break;
          case HeadlessMessage::kClose:
            open = false;
            break;
          case HeadlessMessage::kBarrier:
            break;
        }
        session.Done();
      }
      setup.CloseViews();
    }
    if (session.unloading.load()) {
      link->Abandon();
    } else {
      link->Release();
    }
  } catch (...) {
    // Nothing may escape the thread; the window is simply gone.
  }
  // Releases whoever waits in Sync(), then the last step: the closing
  // thread may free the session once it sees the flag.
  session.Done();
  session.finished.store(true);
}

void HeadlessWindowLayer::RequestClose(WindowSession& session) {
  Of(session).Push({HeadlessMessage::kClose});
}

void HeadlessWindowLayer::PostUpdateTo(WindowSession& session) {
  Of(session).Push({HeadlessMessage::kUpdate});
}

void HeadlessWindowLayer::WaitStep(WindowSession&, std::chrono::milliseconds step) {
  if (wait_) {
    wait_(step);
  } else {
    std::this_thread::sleep_for(step);
  }
}

void HeadlessWindowLayer::Reap(std::unique_ptr<WindowSession> session) {
  HeadlessSession& s = Of(*session);
  if (s.thread.joinable()) s.thread.join();
  session.reset();
}

void HeadlessWindowLayer::Abandon(std::unique_ptr<WindowSession> session) {
  HeadlessSession& s = Of(*session);
  if (s.thread.joinable()) s.thread.detach();
  WindowThreadControl::Abandon(std::move(session));
}

bool HeadlessWindowLayer::Post(const HeadlessMessage& message) {
  if (!SettingsWindowExists()) return false;
  Of(*current()).Push(message);
  return true;
}

bool HeadlessWindowLayer::Click(int control) {
  HeadlessMessage message{HeadlessMessage::kClick};
  message.control = control;
  return Post(message);
}

bool HeadlessWindowLayer::UserClose(WindowKind kind) {
  HeadlessMessage message{HeadlessMessage::kCloseBox};
  message.window = kind;
  return Post(message);
}

bool HeadlessWindowLayer::Drag(WindowKind kind, int x, int y) {
  HeadlessMessage message{HeadlessMessage::kDrag};
  message.window = kind;
  message.x = x;
  message.y = y;
  return Post(message);
}

bool HeadlessWindowLayer::Sync(std::chrono::milliseconds limit) {
  if (!SettingsWindowExists()) return false;
  HeadlessSession& session = Of(*current());
  const uint64_t mark = session.Push({HeadlessMessage::kBarrier});
  std::unique_lock<std::mutex> lock(session.mutex);
  return session.changed.wait_for(
      lock, limit, [&] { return session.handled >= mark || session.finished.load(); });
}
