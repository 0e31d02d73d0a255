#include "app/FrmOptions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <cstdio>
#include <optional>
#include <utility>

#include "app/AppActivity.h"
#include "app/CommandLine.h"
#include "app/DesignGeometry.h"
#include "app/FrmProgress.h"
#include "app/LookActions.h"
#include "app/LookStores.h"
#include "app/WheelHook.h"
#include "colour/ColourEditor.h"
#include "gallery/ui/Gallery.h"
#include "gallery/ui/GalleryArea.h"
#include "pages/ui/CategoryPage.h"
#include "pages/ui/ColourPage.h"
#include "pages/ui/HelpPage.h"
#include "pages/ui/TextPage.h"
#include "pages/ui/TonePage.h"
#include "platform/Classic.h"
#include "platform/Leftovers.h"
#include "platform/PathResolver.h"
#include "platform/RegularFile.h"
#include "platform/Twips.h"
#include "platform/WindowPlacement.h"
#include "platform/ui/FocusRing.h"
#include "platform/ui/Place.h"
#include "platform/ui/WindowSystem.h"
#include "render/AppIcon.h"
#include "render/Gdip.h"
#include "render/StampFont.h"
#include "session/HostSession.h"
#include "settings/AppPaths.h"
#include "settings/IniClass.h"
#include "settings/UserKeys.h"
#include "settings/UserSettings.h"
#include "stamp/HostMessage.h"
#include "stamp/IniKeys.h"

using namespace Qt::StringLiterals;

namespace qm {

namespace {

const char* const kMenuCaptions[5] = {QT_TRANSLATE_NOOP("qm::FrmOptions", "Категория"),
                                      QT_TRANSLATE_NOOP("qm::FrmOptions", "Текст"),
                                      QT_TRANSLATE_NOOP("qm::FrmOptions", "Цвет текста"),
                                      QT_TRANSLATE_NOOP("qm::FrmOptions", "Подсказка"),
                                      QT_TRANSLATE_NOOP("qm::FrmOptions", "Цвет фигуры")};

// The window manager's frame is unknown until the window is first shown; the
// style's title bar height stands in for it.
QMargins WindowFrame(const QWidget& window) {
  const int border = window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
  return QMargins(border, window.style()->pixelMetric(QStyle::PM_TitleBarHeight), border, border);
}

// The start place on the screen that shows most of it (the primary one when
// none does), moved and if need be shrunk to fit that screen's available area
// when it does not lie inside it.
QRectF OnScreen(const QRectF& twips, const QWidget& window) {
  const QRect px(TwipsToPixels(twips.left()), TwipsToPixels(twips.top()),
                 TwipsToPixels(twips.width()), TwipsToPixels(twips.height()));
  const QScreen* screen = QGuiApplication::primaryScreen();
  qint64 shown = 0;
  for (const QScreen* s : QGuiApplication::screens()) {
    const QRect seen = s->availableGeometry().intersected(px);
    if (qint64(seen.width()) * seen.height() > shown) {
      shown = qint64(seen.width()) * seen.height();
      screen = s;
    }
  }
  if (!screen) return twips;
  const QMargins frame = WindowFrame(window);
  const QRect fitted = platform::FitToScreen(
      px, screen->availableGeometry(),
      QSize(TwipsToPixels(design::DefWidth()), TwipsToPixels(design::MinHeight())), frame);
  if (fitted == px) return twips;
  return QRectF(PixelsToTwips(fitted.x()), PixelsToTwips(fitted.y()), PixelsToTwips(fitted.width()),
                PixelsToTwips(fitted.height()));
}

// A first start from the stamp: beside it, on the stamp's screen, where the
// user is looking, rather than at the design place, which may be a screen's
// width away or under the stamp.
QRectF BesideStamp(const QRectF& twips, const QRect& stamp, const QWidget& window) {
  const QScreen* screen = QGuiApplication::screenAt(stamp.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return twips;
  const QRect px =
      platform::BesideAnchor(QSize(TwipsToPixels(twips.width()), TwipsToPixels(twips.height())),
                             stamp, screen->availableGeometry(), WindowFrame(window));
  return QRectF(PixelsToTwips(px.x()), PixelsToTwips(px.y()), twips.width(), twips.height());
}

// A start-up that shows its window first shows the progress window only when
// loading takes longer than this.
constexpr int kProgressAfterMs = 300;

// Handles what is not user input until the window manager has put the
// window on the screen (or a while has passed): work started before would
// compete with it for the processor.
void WaitUntilOnScreen(QWidget& window) {
  QWindow* handle = window.windowHandle();
  if (!window.isVisible() || !handle || handle->isExposed()) return;
  QEventLoop loop;
  struct ExposeWatch : QObject {
    explicit ExposeWatch(QEventLoop& l) : loop(l) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Expose) loop.quit();
      return false;
    }
    QEventLoop& loop;
  } watch(loop);
  handle->installEventFilter(&watch);
  QTimer::singleShot(2000, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  handle->removeEventFilter(&watch);
}

}  // namespace

FrmOptions::FrmOptions(AppEnvironment env, QWidget* parent, StartUp made)
    : QWidget(parent), env_(std::move(env)), host_(std::make_unique<HostSession>(state_)) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(tr("Выбор интерфейса"));
  // The pages are laid out on a pixel grid made for the classic 8-point
  // dialog font; the desktop's usual sans is wider and cuts their captions
  // off. A sans with that font's metrics comes first.
  QFont small = font();
  small.setFamilies(
      {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Nimbus Sans")});
  small.setPixelSize(11);
  setFont(small);
  // Design-time size; start-up makes it DefWidth wide.
  resize(TwipsToPixels(design::kFormWidth), TwipsToPixels(design::kFormHeight));
  BuildMenu();
  if (made == StartUp::Whole) BuildContent();
  // The focused control is ringed, whatever kind it is.
  new ui::FocusRing(this);
  // Page keys, wherever the focus is in the window.
  const auto pageKeys = [this](const QList<QKeySequence>& keys, int steps) {
    auto* s = new QShortcut(this);
    s->setKeys(keys);
    connect(s, &QShortcut::activated, this, [this, steps] { StepPage(steps); });
  };
  pageKeys({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, 1);
  // Shift+Tab comes as Backtab from some keyboards.
  pageKeys({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
            QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
           -1);
  wheel_ = std::make_unique<WheelHook>(
      this, [this](const QPoint& p) { return WheelTakes(p.x(), p.y()); },
      [this](int direction, const QPoint& p) { MouseScroll(direction, p.x(), p.y()); });
  activity_ = std::make_unique<AppActivity>(state_.AppActive);
  // Undo and redo under the menu's last line.
  look_ = new LookActions(*this, picMenu_, TwipsToPixels(300), TwipsToPixels(2040), 20);
}

FrmOptions::~FrmOptions() {
  // Whatever a control's teardown might still run must find the session, the
  // gallery and the state alive: the widgets go first, while they are.
  wheel_->HookWheel(false);
  activity_->Follow(false);
  host_->Close();
  host_->SetStore(nullptr);
  const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  qDeleteAll(children);
}

void FrmOptions::BuildContent() {
  BuildPages();
  gallery_ = new GalleryArea(this);
  gallery_->setGeometry(TwipsToPixels(design::kPicFrameLeft), TwipsToPixels(design::kPicFrameTop),
                        TwipsToPixels(design::kPicFrameWidth),
                        TwipsToPixels(design::kPicFrameHeight));
  // Made after the window was shown: a child shows only when told to. The
  // pages are shown or hidden by the menu.
  if (isVisible()) gallery_->show();
  templates_ = std::make_unique<Gallery>(
      state_, *host_, catalogue_, categoryPage_, gallery_,
      GalleryEnvironment{settings::AppPathsOf(env_.programDir).templateRoot, windowTitle(),
                         [this](const QString& caption) { setWindowTitle(caption); }});
  ConnectGallery();
  ConnectHostLink();
}

void FrmOptions::ConnectGallery() {
  GalleryHooks& h = templates_->hooks;
  h.writeIni = [this](const QString& section, const QString& key, const QString& value) {
    if (!ini_) return false;
    // The record as it was, so that the overwrite can be taken back.
    const QString before = ini_->ReadINIKey(section, key, settings::sIniFile(), QString());
    const bool written = ini_->WriteInIKey(section, key, value, settings::sIniFile());
    Saved(written);
    if (written) look_->TemplateWritten({section, key, before, value});
    return written;
  };
  h.gdipStart = [this] { return GdipStart(); };
  h.gdipStop = [this] { GdipStop(); };
  h.setS = [this](const QString& k, const QString& v) { SetS(k, v); };
  h.setParamFromText = [this] { SetParamFromText(); };
}

void FrmOptions::BuildMenu() {
  picMenu_ = new QWidget(this);
  picMenu_->setObjectName(QStringLiteral("picMenu"));
  picMenu_->setAutoFillBackground(true);
  picMenu_->setGeometry(0, 0, TwipsToPixels(design::kPicMenuWidth),
                        TwipsToPixels(design::kPicMenuHeight));

  lblHeading_ = new QLabel(tr("Настройки"), picMenu_);
  lblHeading_->setObjectName(QStringLiteral("lbl_3"));
  lblHeading_->setAlignment(Qt::AlignCenter);
  lblHeading_->setGeometry(TwipsToPixels(-30), TwipsToPixels(-30), TwipsToPixels(1770),
                           TwipsToPixels(315));
  QFont hf = lblHeading_->font();
  hf.setBold(true);
  lblHeading_->setFont(hf);

  // Top to bottom the entries are 0, 1, 2, 4, 3.
  const int tops[5] = {510, 810, 1110, 1725, 1410};
  for (int i = 0; i < 5; ++i) {
    auto* l = new QLabel(tr(kMenuCaptions[i]), picMenu_);
    l->setObjectName(QStringLiteral("lblMenu_%1").arg(i));
    l->setAutoFillBackground(true);
    l->setCursor(Qt::PointingHandCursor);
    l->setGeometry(TwipsToPixels(i == 4 ? 330 : 345), TwipsToPixels(tops[i]), TwipsToPixels(1365),
                   TwipsToPixels(270));
    l->installEventFilter(this);
    lblMenu_[i] = l;
  }
  const int lineTops[6] = {480, 780, 1080, 1380, 1695, 2010};
  for (int i = 0; i < 6; ++i) {
    auto* line = new QFrame(picMenu_);
    line->setObjectName(QStringLiteral("Line1_%1").arg(i));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(TwipsToPixels(300), TwipsToPixels(lineTops[i]), TwipsToPixels(1410), 2);
    Line1_[i] = line;
  }
}

void FrmOptions::BuildPages() {
  // The page frames sit above the window's top edge; what they hold starts
  // this many pixels lower.
  constexpr int kContentShift = 5;
  const QSize pageSize(TwipsToPixels(design::kFramMenuWidth),
                       TwipsToPixels(design::kFramMenuHeight));
  categoryPage_ = new CategoryPage(this);
  textPage_ = new TextPage(state_, *host_, this);
  colourPage_ = new ColourPage(state_, *host_, this);
  tonePage_ = new TonePage(state_, *host_, this);
  helpPage_ = new HelpPage(pageSize, this);
  framMenu_ = {categoryPage_, textPage_, colourPage_, helpPage_, tonePage_};
  for (EditorPage* page : framMenu_) ui::ShiftChildren(page, kContentShift);
  // At design time the pages lie spread over a wide window; start-up stacks
  // them all on page 0's place.
  for (int i = 0; i < 5; ++i) {
    framMenu_[i]->setGeometry(TwipsToPixels(design::kFramMenuLeft + i * 7800),
                              TwipsToPixels(design::kFramMenuTop), pageSize.width(),
                              pageSize.height());
  }
}

// --- start-up ---------------------------------------------------------------

bool FrmOptions::Form_Load(StartUp how) {
  // The single-instance check has run in main(), before anything is read.
  startingUp_ = true;
  const auto started = qScopeGuard([this] { startingUp_ = false; });
  finishPending_ = how == StartUp::ShowFirst;
  if (!finishPending_) FillWhatCanWait();
  ini_ = std::make_unique<settings::INI_Class>();
  settings::SetAppPaths(env_.programDir);
  // A save cut short by a kill leaves its temporary file beside the INI file.
  platform::RemoveStaleSaveTemporaries(settings::sIniFile());
  store_ = std::make_unique<settings::UserSettings>(env_.userStoreFile);
  // Said once the window shows its own caption, which start-up has yet to set.
  if (!store_->Problem().isEmpty())
    QTimer::singleShot(0, this, [this] { ShowSaveProblem(store_->FilePath(), store_->Problem()); });
  // Twips per pixel is fixed (see Twips.h); the derived sizes come from the
  // design geometry.
  const double DefWidth = design::DefWidth();
  const double DesignHeight = design::DesignHeight();
  // Where the window was when it last closed.
  const QString defPos = classic::SingleText(static_cast<float>(design::kFormLeft)) + u'|' +
                         classic::SingleText(static_cast<float>(design::kFormTop)) + u'|' +
                         classic::SingleText(static_cast<float>(DefWidth)) + u'|' +
                         classic::SingleText(static_cast<float>(DesignHeight));
  const QString stored = GetS(settings::kEditorPlace);
  QRectF wanted = SavedPlacement(stored.isEmpty() ? defPos : stored);
  if (stored.isEmpty() && !env_.stampFrame.isNull())
    wanted = BesideStamp(wanted, env_.stampFrame, *this);
  const QRectF saved = OnScreen(wanted, *this);
  const bool shownEarly = !templates_;
  if (shownEarly) {
    // Shown where it will stand, then filled: nothing is drawn before the
    // event loop runs, so the first frame is the whole window.
    Move(saved.left(), saved.top(), saved.width(), saved.height());
    show();
    ui::SendToWindowSystem();
    BuildContent();
  }

  // The progress window, centred over the saved place.
  progress_ = std::make_unique<FrmProgress>();
  progress_->Init(static_cast<float>((saved.width() - design::kProgressWidth) / 2 + saved.left()),
                  static_cast<float>((DesignHeight - design::kProgressHeight) / 2 + saved.top()),
                  tr("Загрузка..."), how == StartUp::ShowFirst ? kProgressAfterMs : 0);

  // Categories, the font list and the templates. Start-up reads thousands of
  // keys: they all come from one parsed copy of the file.
  ui::ClassicListBox* lstDir = categoryPage_->lstDir;
  lstDir->Clear();
  ini_->BeginBulkRead(settings::sIniFile());
  const QString iniFile = settings::sIniFile();
  catalogue_ = gallery::LoadCatalogue(
      [&](const QString& section, const QString& key) {
        return ini_->ReadINIKey(section, key, iniFile, QString());
      },
      // After each category the progress moves on by its share of 88 %.
      [&](int done, int total) {
        const float step = 88.0f / static_cast<float>(total);
        progress_->Progress(7.0f + step * static_cast<float>(done));
      },
      // The names are listed, then the fonts, before any template is read.
      [&](const QStringList& captions) {
        for (const QString& caption : captions) lstDir->AddItem(caption);
        FontListing();
        return !unloaded_;
      });
  if (unloaded_) return false;

  // The palette's default colours, then the user's set; the thumbnails.
  LoadColours();
  gallery_->CreateThumbnails();
  for (QFrame* f : gallery_->framPic) f->setFrameShape(QFrame::NoFrame);

  // The command line. The host may answer at once: listen before announcing
  // ourselves, and announce before the look is loaded.
  const CommandLine cmd = ParseCommandLine(env_.commandLine);
  state_.HostHwnd = cmd.HostHwnd;
  host_->Listen();
  host_->SendHwnd();
  if (closeRequested_) return EndStartUpEarly();
  state_.sampleText = cmd.sampleText;

  // The current look: the shared selection, or the look of the stamp that
  // keeps its own.
  state_.Text1.setText(env_.ownLook.isEmpty() ? ini_->Read(stamp::kSelectedLine, iniFile)
                                              : env_.ownLook);
  ini_->EndBulkRead();

  // From here on a change of the line is saved.
  if (env_.ownLook.isEmpty())
    lookStore_ =
        std::make_unique<IniLookStore>(*ini_, [this](bool written) { return Saved(written); });
  else
    lookStore_ = std::make_unique<StampKeptLook>();
  host_->SetStore(lookStore_.get());

  colourPage_->FillHueTable();
  // The pages, laid side by side at design time, stack on page 0's place.
  for (int i = 1; i < 5; ++i) framMenu_[i]->move(framMenu_[0]->pos());

  LoadBackground();

  // The gallery margins, at the default width; a window already shown is not
  // sized to that on its way.
  if (!shownEarly) Move(Left(), Top(), DefWidth, DesignHeight);
  ResizeParamDef(PixelsToTwips(TwipsToPixels(DefWidth)),
                 PixelsToTwips(TwipsToPixels(DesignHeight)));
  // The page that was open.
  state_.CurrentPage = GetS(settings::kOpenPage);
  MenuSet(state_.CurrentPage);
  progress_->Progress(100);
  // The colour tools edit the text colour, the luma slider following it.
  colourPage_->LumaSync = true;
  colourPage_->ClrTarget = colour::kTargetText;
  // Every control from the current line. The font and the offsets go to the
  // host again, but the user has changed nothing yet: nothing is saved for it.
  {
    const FillingControls replay(state_, FillingControls::Replay);
    // Choosing the look's category draws its gallery, unless held back: the
    // list then changes silently, and the choice is drawn as a click would.
    ui::ClassicListBox* categories = categoryPage_->lstDir;
    const int before = categories->ListIndex();
    std::optional<QSignalBlocker> hold;
    if (how == StartUp::ShowFirst) hold.emplace(categories);
    SetParamFromText();
    galleryHeld_ = hold && categories->ListIndex() != before && categories->ListIndex() >= 0;
  }
  if (closeRequested_) return EndStartUpEarly();
  Move(saved.left(), saved.top(), saved.width(), saved.height());
  // Already at that size, the window had no resize to lay the gallery out.
  if (shownEarly) Form_Resize();
  progress_->ProgressStop();
  progress_.reset();
  // The size limit: at least DefWidth by MinHeight, no maximum.
  setMinimumSize(TwipsToPixels(DefWidth), TwipsToPixels(design::MinHeight()));
  colourPage_->Blink(true);
  // Last, the wheel: from here on every notch over the window is routed.
  wheel_->HookWheel(true);
  activity_->Follow(true);
  look_->SetRecording(true);
  // Activated as it showed, before it had a control (a platform that does
  // not wait for the window manager): the focus goes where activation puts it.
  if (shownEarly && isActiveWindow() && !focusWidget()) focusNextChild();
  return true;
}

void FrmOptions::LoadBackground() {
  // The texture picture, whole.
  // Only a regular file of a sane size: anything else leaves the preview
  // without a texture, as a missing file does.
  if (const std::optional<QByteArray> texture = platform::ReadRegularFile(
          platform::ResolveRelativePath(settings::sTemplateRoot(), QStringLiteral("Chm1.png")),
          platform::kMaxTextureBytes))
    templates_->SetTexture(*texture);
  // The preview background colour.
  templates_->Background.FonNum = GetS(settings::kPreviewBackground);
  templates_->ApplyBackgroundColour();
  // The texture switch, silently; its handler takes the state when the
  // switch did not move.
  {
    const FillingControls filling(state_);
    const int v = GetS(settings::kPreviewTexture);
    categoryPage_->chkTexura->SetValue(v);
    templates_->chkTexura_Click();
  }
  loading_.reset();
}

void FrmOptions::FontListing() {
  if (!GdipStart()) {
    // The user has been told; the editor cannot draw anything.
    unloaded_ = true;
    close();
    return;
  }
  const QStringList families = render::InstalledFontFamilies();
  if (!families.isEmpty()) {
    ui::ClassicListBox* lst = textPage_->lstFont;
    lst->Clear();
    for (const QString& f : families) lst->AddItem(f);
  }
  host_->SetFallbackFont(textPage_->ListedFont());
  GdipStop();
}

void FrmOptions::FillWhatCanWait() {
  setWindowIcon(render::AppIcon());
  look_->LoadIcons();
}

void FrmOptions::LoadColours() {
  colourPage_->LoadColors(ini_->Read(stamp::kUserColours, settings::sIniFile()));
  colourPage_->writeColors = [this](const QString& text) {
    if (!ini_) return false;
    const bool written = ini_->Write(stamp::kUserColours, text, settings::sIniFile());
    Saved(written);
    return written;
  };
}

QRectF FrmOptions::SavedPlacement(const QString& stored) const {
  // The default place and size, on the primary screen.
  const auto primaryDefault = [] {
    const QRectF def(design::kFormLeft, design::kFormTop, design::DefWidth(),
                     design::DesignHeight());
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return def;
    return def.translated(PixelsToTwips(1) * QPointF(primary->availableGeometry().topLeft()));
  };
  const QStringList items = classic::Split(stored, u'|');
  if (items.size() < 4) return primaryDefault();
  double v[4];
  for (int i = 0; i < 4; ++i) {
    const auto f = classic::ToSingle(items[i]);
    if (!f) return primaryDefault();
    v[i] = *f;
  }
  const QRectF r(v[0], v[1], v[2], v[3]);
  if (r.width() <= 0 || r.height() <= 0) return primaryDefault();
  // A place that no screen shows (a monitor since removed) gives the default.
  const QRect px(TwipsToPixels(r.left()), TwipsToPixels(r.top()), TwipsToPixels(r.width()),
                 TwipsToPixels(r.height()));
  for (QScreen* s : QGuiApplication::screens()) {
    const QRect visible = s->availableGeometry().intersected(px);
    if (visible.width() >= 40 && visible.height() >= 20) return r;
  }
  return primaryDefault();
}

// --- the menu ---------------------------------------------------------------

void FrmOptions::MenuSet(std::int16_t p) {
  const QColor strip = picMenu_->palette().color(QPalette::Window);
  for (int i = 0; i < 5; ++i) {
    const bool on = i == p;
    framMenu_[i]->setVisible(on);
    QLabel* l = lblMenu_[i];
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, on ? QColor(0, 0, 0x80) : strip);
    pal.setColor(QPalette::WindowText, on ? QColor(Qt::white) : QColor(Qt::black));
    l->setPalette(pal);
    QFont f = l->font();
    f.setBold(on);
    l->setFont(f);
    // Tab reaches the menu at the open page's entry only; the arrow keys
    // move on from there.
    l->setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
  }
}

void FrmOptions::lblMenu_MouseDown(int Index) {
  MenuSet(static_cast<std::int16_t>(Index));
  state_.CurrentPage = static_cast<std::int16_t>(Index);
}

std::array<int, 5> FrmOptions::MenuOrder() const {
  std::array<int, 5> order{0, 1, 2, 3, 4};
  std::stable_sort(order.begin(), order.end(),
                   [this](int a, int b) { return lblMenu_[a]->y() < lblMenu_[b]->y(); });
  return order;
}

void FrmOptions::StepPage(int steps) {
  const std::array<int, 5> order = MenuOrder();
  const int at =
      static_cast<int>(std::find(order.begin(), order.end(), state_.CurrentPage) - order.begin());
  const int next = order[static_cast<std::size_t>(((at + steps) % 5 + 5) % 5)];
  // The focus in the page that goes away (or on the menu) goes to the menu,
  // from where Tab leads into the new page.
  const QWidget* focus = QApplication::focusWidget();
  const bool onPageOrMenu =
      focus && (picMenu_->isAncestorOf(focus) ||
                (state_.CurrentPage >= 0 && state_.CurrentPage < 5 &&
                 framMenu_[static_cast<std::size_t>(state_.CurrentPage)]->isAncestorOf(focus)));
  lblMenu_MouseDown(next);
  if (onPageOrMenu) lblMenu_[static_cast<std::size_t>(next)]->setFocus(Qt::ShortcutFocusReason);
}

bool FrmOptions::MenuKey(int key) {
  const std::array<int, 5> order = MenuOrder();
  // A page number the store held that no entry has counts as the first.
  const int at =
      static_cast<int>(std::find(order.begin(), order.end(), state_.CurrentPage) - order.begin()) %
      5;
  int to = at;
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Left:
      to = std::max(at - 1, 0);
      break;
    case Qt::Key_Down:
    case Qt::Key_Right:
      to = std::min(at + 1, 4);
      break;
    case Qt::Key_Home:
      to = 0;
      break;
    case Qt::Key_End:
      to = 4;
      break;
    default:
      return false;
  }
  const int page = order[static_cast<std::size_t>(to)];
  lblMenu_MouseDown(page);
  lblMenu_[static_cast<std::size_t>(page)]->setFocus(Qt::TabFocusReason);
  return true;
}

bool FrmOptions::eventFilter(QObject* watched, QEvent* event) {
  for (int i = 0; i < 5; ++i) {
    if (watched != lblMenu_[i]) continue;
    if (event->type() == QEvent::MouseButtonPress) {
      const bool menuFocused = picMenu_->isAncestorOf(QApplication::focusWidget());
      lblMenu_MouseDown(i);
      if (menuFocused) lblMenu_[static_cast<std::size_t>(i)]->setFocus(Qt::MouseFocusReason);
      return true;
    }
    if (event->type() == QEvent::KeyPress && MenuKey(static_cast<QKeyEvent*>(event)->key()))
      return true;
  }
  return QWidget::eventFilter(watched, event);
}

// --- geometry ---------------------------------------------------------------

double FrmOptions::Left() const { return PixelsToTwips(geometry().x()); }
double FrmOptions::Top() const { return PixelsToTwips(geometry().y()); }
double FrmOptions::Width() const { return PixelsToTwips(geometry().width()); }
double FrmOptions::Height() const { return PixelsToTwips(geometry().height()); }

void FrmOptions::Move(double left, double top, double width, double height) {
  setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

void FrmOptions::SetWinState() {
  if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
    showNormal();
}

void FrmOptions::ResizeParamDef(double formWidth, double formHeight) {
  const double picFrameW = PixelsToTwips(gallery_->width());
  const double picFrameH = PixelsToTwips(gallery_->height());
  margins_.FrameDW = formWidth - picFrameW;
  margins_.FrameDH = formHeight - picFrameH;
  margins_.ScrollDX = picFrameW - PixelsToTwips(gallery_->scrlPic->x());
  margins_.ScrollDH = picFrameH - PixelsToTwips(gallery_->scrlPic->height());
  margins_.ViewDW = picFrameW - PixelsToTwips(gallery_->framPic[0]->width());
  margins_.ViewDH = picFrameH - PixelsToTwips(gallery_->framPic[0]->height());
  margins_.StripDW =
      PixelsToTwips(gallery_->framPic[0]->width()) - PixelsToTwips(gallery_->framPic[1]->width());
  MarginsSet = true;
}

void FrmOptions::ResizeParamSet() {
  if (!MarginsSet) return;
  const double picFrameW = Width() - margins_.FrameDW;
  const double picFrameH = Height() - margins_.FrameDH;
  gallery_->resize(TwipsToPixels(picFrameW), TwipsToPixels(picFrameH));
  gallery_->scrlPic->setGeometry(TwipsToPixels(picFrameW - margins_.ScrollDX),
                                 gallery_->scrlPic->y(), gallery_->scrlPic->width(),
                                 TwipsToPixels(picFrameH - margins_.ScrollDH));
  const double viewW = picFrameW - margins_.ViewDW;
  gallery_->framPic[0]->resize(TwipsToPixels(viewW), TwipsToPixels(picFrameH - margins_.ViewDH));
  gallery_->framPic[1]->resize(TwipsToPixels(viewW - margins_.StripDW),
                               gallery_->framPic[1]->height());
  templates_->FrameResize();
}

void FrmOptions::Form_Resize() {
  if (windowState() & Qt::WindowMinimized) {
    LastState = Qt::WindowMinimized;
    return;
  }
  if (LastState == Qt::WindowMinimized) {
    // The first resize after a restore from the minimised state does not lay
    // the gallery out again.
    LastState = windowState();
    return;
  }
  ResizeParamSet();
}

void FrmOptions::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void FrmOptions::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Minimising, and the restore after it, change no size, so Qt sends no
  // resize event for them; the layout still has to hear of both.
  if (event->type() == QEvent::WindowStateChange &&
      ((windowState() & Qt::WindowMinimized) || LastState == Qt::WindowMinimized))
    Form_Resize();
}

// --- stores and drawing -----------------------------------------------------

void FrmOptions::SetS(const QString& sKey, const QString& Sval) {
  if (!store_) return;
  const bool saved = store_->SetS(sKey, Sval);
  ShowSaveProblem(store_->FilePath(), saved ? QString() : store_->Problem());
}

bool FrmOptions::Saved(bool written) {
  // A refused value (no error) would fail again just the same: it is no
  // problem of the disk's and nothing to try again.
  const QString problem = ini_ ? ini_->LastWriteError() : QString();
  if (written || !problem.isEmpty()) ShowSaveProblem(settings::sIniFile(), problem);
  return written || problem.isEmpty();
}

void FrmOptions::ShowSaveProblem(const QString& file, const QString& problem) {
  // Said once, however often the save is tried again; a save of the same
  // file that goes through puts the title back.
  if (problem.isEmpty() && file != saveProblemFile_) return;
  const QString english =
      problem.isEmpty() ? QString() : QStringLiteral("cannot save %1: %2").arg(file, problem);
  if (english == saveProblem_) return;
  saveProblemFile_ = problem.isEmpty() ? QString() : file;
  if (saveProblem_.isEmpty() || windowTitle() != problemTitle_) plainTitle_ = windowTitle();
  saveProblem_ = english;
  if (english.isEmpty()) {
    // Unless the gallery has put a caption of its own there meanwhile.
    if (windowTitle() == problemTitle_) setWindowTitle(plainTitle_);
    return;
  }
  std::fprintf(stderr, "QuillmarkOpt: %s\n", qPrintable(english));
  problemTitle_ =
      tr("%1 — не сохранено: %2 (%3)").arg(plainTitle_, QFileInfo(file).fileName(), problem);
  setWindowTitle(problemTitle_);
}

QString FrmOptions::GetS(const QString& sKey, const QString& sDef) const {
  return store_ ? store_->GetS(sKey, sDef) : sDef;
}

template <class T>
void FrmOptions::SetS(const platform::SettingKey<T>& key, const std::type_identity_t<T>& value) {
  if (!store_) return;
  ShowSaveProblem(store_->FilePath(), store_->Set(key, value) ? QString() : store_->Problem());
}

template <class T>
T FrmOptions::GetS(const platform::SettingKey<T>& key) const {
  return store_ ? store_->Get(key) : key.Default();
}

bool FrmOptions::GdipStart() {
  if (render::GdipStart()) return true;
  QMessageBox::critical(this, windowTitle(), tr("Error loading GDI+!"));
  return false;
}

void FrmOptions::GdipStop() { render::GdipStop(); }

// --- shutdown ---------------------------------------------------------------

void FrmOptions::FinishStartUp() {
  if (!std::exchange(finishPending_, false) || unloaded_) return;
  // Still start-up: a close the host asks for meanwhile waits until the
  // gallery is drawn, and then goes through the event loop as any other.
  startingUp_ = true;
  WaitUntilOnScreen(*this);
  FillWhatCanWait();
  if (std::exchange(galleryHeld_, false)) templates_->lstDir_Click();
  startingUp_ = false;
#if defined(__GLIBC__)
  // What start-up allocated and let go of (the catalogue's text, the
  // drawings on their way to the thumbnails, what the paint's threads held)
  // goes back to the system rather than staying with the editor for as long
  // as it runs.
  templates_->EndPaintThreads();
  malloc_trim(0);
#endif
  if (closeRequested_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

bool FrmOptions::EndStartUpEarly() {
  // The host closed us before the window was ever shown: the window's place
  // and page are still the ones read at start-up, so nothing is stored; the
  // host still hears that we are gone.
  unloaded_ = true;
  closedDuringStartUp_ = true;
  if (progress_) {
    progress_->ProgressStop();
    progress_.reset();
  }
  host_->FlushPendingSave();
  if (state_.HostHwnd > 0) SendText(stamp::AnnounceMessage(0));
  host_->Close();
  Q_EMIT Unloaded();
  return false;
}

void FrmOptions::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void FrmOptions::Form_Unload() {
  if (unloaded_ || !store_) {
    unloaded_ = true;
    return;
  }
  unloaded_ = true;
  // First, the wheel, which was installed last.
  activity_->Follow(false);
  wheel_->HookWheel(false);
  colourPage_->Blink(false);
  // A change made less than a second ago is still waiting in the save timer;
  // closing must not lose it.
  host_->FlushPendingSave();
  host_->SetStore(nullptr);
  // The wheel handling and the size limit go, then the INI access.
  setMinimumSize(0, 0);
  ini_.reset();
  // The place of the normal window.
  // Qt knows the normal place of a maximised window only while it is still
  // maximised: take it before the window is set back.
  const bool wasMaximised =
      windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen);
  const QRect g = wasMaximised && normalGeometry().isValid() ? normalGeometry() : geometry();
  SetWinState();
  SetS(settings::kEditorPlace,
       classic::SingleText(static_cast<float>(PixelsToTwips(g.x()))) + u'|' +
           classic::SingleText(static_cast<float>(PixelsToTwips(g.y()))) + u'|' +
           classic::SingleText(static_cast<float>(PixelsToTwips(g.width()))) + u'|' +
           classic::SingleText(static_cast<float>(PixelsToTwips(g.height()))));
  // The open page.
  SetS(settings::kOpenPage, state_.CurrentPage);
  // The host hears that we are gone.
  if (state_.HostHwnd > 0) SendText(stamp::AnnounceMessage(0));
  host_->Close();
  Q_EMIT Unloaded();
}

}  // namespace qm
