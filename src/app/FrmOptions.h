#pragma once
// The editor window: the page menu, the five pages, the gallery area below,
// and the start-up and shutdown sequences. It composes the pages, the gallery
// and the host session and owns the state that lives for the run; the pages
// carry their own behaviour. Tests and tools find its controls by object name.

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "app/AppEnvironment.h"
#include "gallery/Catalogue.h"
#include "platform/SettingKey.h"
#include "session/EditorState.h"

class QFrame;
class QLabel;

namespace qm {

class EditorPage;
class CategoryPage;
class TextPage;
class ColourPage;
class TonePage;
class HelpPage;
class GalleryArea;
class Gallery;
class FrmProgress;
class HostSession;
class LookStore;
class LookActions;
class WheelHook;
class AppActivity;
namespace ui {
class ClassicScrollBar;
}
namespace settings {
class INI_Class;
class UserSettings;
}  // namespace settings

class FrmOptions : public QWidget {
  Q_OBJECT
 public:
  // How much of the start-up Form_Load does: all of it, or what the window
  // needs to show, the rest (the thumbnails of the chosen category, the
  // icons) left to FinishStartUp() once the window is on the screen, where it
  // no longer competes with the window manager putting it there.
  enum class StartUp { Whole, ShowFirst };

  // A window made for StartUp::ShowFirst has its menu only: Form_Load shows
  // it at its place as soon as that is known, and builds the pages and the
  // gallery while the window manager puts it on the screen. Either way the
  // first frame drawn is the whole window.
  explicit FrmOptions(AppEnvironment env, QWidget* parent = nullptr, StartUp made = StartUp::Whole);
  ~FrmOptions() override;

  // Start-up: fills the window while the progress window shows "Загрузка...".
  // Returns false when the editor must end: the drawing backend failed, or
  // the host closed the editor before its window was shown.
  bool Form_Load(StartUp how = StartUp::Whole);
  // After Form_Load(StartUp::ShowFirst) and show(): waits until the window is
  // on the screen, then does what Form_Load left, and returns once the
  // gallery is drawn. Nothing after a whole start-up.
  void FinishStartUp();
  // The host said "W=0" while start-up was still running.
  bool ClosedDuringStartUp() const { return closedDuringStartUp_; }

  // Page menu: shows page p and marks its entry; does not change CurrentPage.
  void MenuSet(std::int16_t p);
  void lblMenu_MouseDown(int Index);
  // The page `steps` entries down the menu (up when negative), as the menu
  // lists them, wrapping round at either end.
  void StepPage(int steps);

  // Sets the window back to its normal state when minimised or maximised.
  void SetWinState();

  // Window geometry in twips (inner area; see DesignGeometry.h).
  double Left() const;
  double Top() const;
  double Width() const;
  double Height() const;
  void Move(double left, double top, double width, double height);

  // Layout of the gallery area after a size change.
  // From the controls as laid out at design time, for a window of the
  // given size in twips.
  void ResizeParamDef(double formWidth, double formHeight);
  void ResizeParamSet();

  // Per-user store.
  void SetS(const QString& sKey, const QString& Sval);
  // A save that failed for a reason that may pass (a full disk, a read-only
  // folder): said once in the title and on stderr. An empty `problem` (a
  // save of that file that went through) puts the title back.
  void ShowSaveProblem(const QString& file, const QString& problem);
  QString GetS(const QString& sKey, const QString& sDef) const;
  // The same through the keys of settings/UserKeys.h.
  template <class T>
  void SetS(const platform::SettingKey<T>& key, const std::type_identity_t<T>& value);
  template <class T>
  T GetS(const platform::SettingKey<T>& key) const;

  // Graphics batches; a failed start tells the user once.
  bool GdipStart();
  void GdipStop();

  // The one road of a look change: delivers sMsg to the host, then applies it
  // to the current line and restarts the save timer. False when nothing was
  // applied (a refused value, a malformed "A=" line, a "W=" message).
  bool SendText(const QString& sMsg);
  // Sets every control from the current line (after start-up and "A=").
  void SetParamFromText();

  // Another start of the editor handed us its command line (and the link
  // folder it would use): we serve its host from now on when that is sound
  // (see HostSession::AdoptHost) and come forward. True when we do.
  bool ServeHostOf(const QString& linkDir, const QString& commandLine);

  EditorState& State() { return state_; }
  HostSession& Host() { return *host_; }
  Gallery& Templates() { return *templates_; }
  const gallery::Catalogue& Catalogue() const { return catalogue_; }
  settings::INI_Class& Ini() { return *ini_; }
  // Undo and redo, and the look on the clipboard.
  LookActions& Look() { return *look_; }

  // The size limit (minimum width and height in pixels; no maximum).
  QSize MinimumTrackSize() const { return minimumSize(); }

  // The mouse wheel: one notch (ScrlDirect +1 away from the user, -1 toward)
  // with the pointer at (lX, lY) on the screen, in logical pixels. Steps the
  // slider of the control there, scrolls the gallery or moves the hue marker;
  // false when no such control is there.
  bool MouseScroll(int ScrlDirect, int lX, int lY);
  // The point lies on the control, its right and bottom edges included.
  static bool IsOver(const QWidget* w, int lX, int lY);

 Q_SIGNALS:
  // Raised after the shutdown sequence has run.
  void Unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The outcome of an INI write: false when it failed in a way worth trying
  // again, which is then shown.
  bool Saved(bool written);
  void ConnectHostLink();
  void ConnectGallery();
  void BuildMenu();
  // The pages in the order the menu shows their entries, top to bottom.
  std::array<int, 5> MenuOrder() const;
  // An arrow, Home or End on the menu: the page above or below, or at an end.
  bool MenuKey(int key);
  void BuildPages();
  // The pages, the gallery and what joins them to the session.
  void BuildContent();
  void FontListing();
  void LoadColours();
  // What the window does not need to show (its icons).
  void FillWhatCanWait();
  void LoadBackground();
  void Form_Unload();
  bool EndStartUpEarly();
  void Form_Resize();
  QRectF SavedPlacement(const QString& stored) const;
  // What a notch at (lX, lY) does (+1 away from the user); empty when the
  // window does not route it.
  std::function<void(int notch)> WheelRouteAt(int lX, int lY) const;
  // Whether a notch at (lX, lY) is the window's to route.
  bool WheelTakes(int lX, int lY) const;

  AppEnvironment env_;
  // The state outlives everything that reads or writes it: the session and
  // the gallery are members declared after it, and the widgets are deleted
  // by the destructor while it is still there.
  EditorState state_;
  // Start-up fills the controls until the stored look is loaded.
  std::optional<FillingControls> loading_{std::in_place, state_};
  gallery::Catalogue catalogue_;
  std::unique_ptr<HostSession> host_;
  std::unique_ptr<settings::INI_Class> ini_;
  std::unique_ptr<settings::UserSettings> store_;
  // Where the session saves the line: made at start-up, gone with the INI
  // access at shutdown.
  std::unique_ptr<LookStore> lookStore_;
  std::unique_ptr<FrmProgress> progress_;
  bool unloaded_ = false;
  // A close the host asks for while start-up runs waits for a point where
  // start-up can stop; the window is then never shown.
  bool startingUp_ = false;
  bool closeRequested_ = false;
  bool closedDuringStartUp_ = false;
  bool finishPending_ = false;  // Form_Load left the rest of the start-up
  bool galleryHeld_ = false;    // the start-up's category chosen, its gallery not drawn
  QString saveProblem_;         // the one shown; empty while saves go through
  QString saveProblemFile_;
  QString plainTitle_;    // the title before the problem was added to it
  QString problemTitle_;  // the title that says it

  // Controls owned directly by the window.
  QWidget* picMenu_ = nullptr;
  QLabel* lblHeading_ = nullptr;  // "lbl" 3, the strip's heading
  std::array<QLabel*, 5> lblMenu_{};
  std::array<QFrame*, 6> Line1_{};
  // The pages, in the menu's numbering: entry i opens framMenu_[i].
  std::array<EditorPage*, 5> framMenu_{};

  CategoryPage* categoryPage_ = nullptr;
  TextPage* textPage_ = nullptr;
  ColourPage* colourPage_ = nullptr;
  TonePage* tonePage_ = nullptr;
  HelpPage* helpPage_ = nullptr;
  GalleryArea* gallery_ = nullptr;
  // The gallery's behaviour: categories, thumbnails, gestures, background.
  std::unique_ptr<Gallery> templates_;
  // Every wheel notch over the window, before the controls see it.
  std::unique_ptr<WheelHook> wheel_;
  // Keeps State().AppActive from start-up's end to shutdown.
  std::unique_ptr<AppActivity> activity_;
  LookActions* look_ = nullptr;

  // Margins recorded once by ResizeParamDef, in twips.
  struct Margins {
    double FrameDW = 0, FrameDH = 0, ScrollDX = 0, ScrollDH = 0, ViewDW = 0, ViewDH = 0,
           StripDW = 0;
  } margins_;
  bool MarginsSet = false;
  Qt::WindowStates LastState = Qt::WindowNoState;
};

}  // namespace qm
