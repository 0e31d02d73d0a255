#include "app/FrmOptions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <limits>

#include "app/CommandLine.h"
#include "app/DesignGeometry.h"
#include "app/FrmProgress.h"
#include "colour/Palette.h"
#include "colour/ui/ColourPage.h"
#include "colour/ui/TonePage.h"
#include "gallery/ui/CategoryPage.h"
#include "gallery/ui/Gallery.h"
#include "gallery/ui/GalleryArea.h"
#include "params/ui/HostSession.h"
#include "params/ui/TextPage.h"
#include "platform/Classic.h"
#include "platform/PathResolver.h"
#include "platform/Twips.h"
#include "platform/ui/Place.h"
#include "render/StampFont.h"
#include "render/Gdip.h"
#include "settings/AppPaths.h"
#include "settings/IniClass.h"
#include "settings/UserSettings.h"

namespace qm {

namespace {

const char* const kMenuCaptions[5] = {"Категория", "Текст", "Цвет текста", "Подсказка",
                                      "Цвет фигуры"};

QIcon StampIcon() {
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0, 0, 128));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(1, 5, 30, 22), 5, 5);
  p.setPen(Qt::white);
  QFont f = p.font();
  f.setPixelSize(13);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(1, 5, 30, 22), Qt::AlignCenter, QStringLiteral("+38"));
  return QIcon(pm);
}

}  // namespace

FrmOptions::FrmOptions(AppEnvironment env, QWidget* parent)
    : QWidget(parent), env_(std::move(env)), state_(this) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(QStringLiteral("Выбор интерфейса"));
  // The pages are designed for a small dialog font.
  QFont small = font();
  small.setPixelSize(11);
  setFont(small);
  // Design-time size; start-up makes it DefWidth wide.
  resize(TwipsToPixels(design::kFormWidth), TwipsToPixels(design::kFormHeight));
  BuildMenu();
  BuildPages();

  gallery = new GalleryArea(this);
  gallery->setGeometry(TwipsToPixels(design::kPicFrameLeft), TwipsToPixels(design::kPicFrameTop),
                       TwipsToPixels(design::kPicFrameWidth),
                       TwipsToPixels(design::kPicFrameHeight));
  templates = new Gallery(state_, catalogue_,
                          PreviewBackground{TextureBytes, TextureLoaded, TextureEnabled, FonNum,
                                            FonColor},
                          categoryPage, gallery, this);
  templates->hooks.writeIni = [this](const QString& section, const QString& key,
                                     const QString& value) {
    return ini_ && ini_->WriteInIKey(section, key, value, settings::sIniFile());
  };
  templates->hooks.gdipStart = [this] { return GdipStart(); };
  templates->hooks.gdipStop = [this] { GdipStop(); };
  templates->hooks.setS = [this](const QString& k, const QString& v) { SetS(k, v); };
  templates->hooks.sendText = [this](const QString& m) { SendText(m); };
  templates->hooks.setParamFromText = [this] { SetParamFromText(); };
  templates->hooks.currentLine = [this] { return Text1->text(); };

  // The host writes its messages into txtMsg; Text1 holds the current line.
  txtMsg = new QLineEdit(this);
  // The boxes hold whole messages and lines; a line edit's default limit of
  // 32767 characters would cut a long one.
  txtMsg->setMaxLength(std::numeric_limits<int>::max());
  txtMsg->setObjectName(QStringLiteral("txtMsg"));
  txtMsg->hide();
  Text1 = new QLineEdit(this);
  Text1->setMaxLength(std::numeric_limits<int>::max());
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setToolTip(QStringLiteral("Строка, сформированная для INI-файла"));
  Text1->hide();

  // The palette mark blinks from the start; the save timer is made at start-up.
  tmr[0] = new QTimer(this);
  tmr[0]->setObjectName(QStringLiteral("tmr_0"));
  tmr[0]->setInterval(300);
  ConnectHostLink();
}

FrmOptions::~FrmOptions() = default;

void FrmOptions::BuildMenu() {
  picMenu = new QWidget(this);
  picMenu->setObjectName(QStringLiteral("picMenu"));
  picMenu->setAutoFillBackground(true);
  picMenu->setGeometry(0, 0, TwipsToPixels(design::kPicMenuWidth),
                       TwipsToPixels(design::kPicMenuHeight));

  lblHeading = new QLabel(QStringLiteral("Настройки"), picMenu);
  lblHeading->setObjectName(QStringLiteral("lbl_3"));
  lblHeading->setAlignment(Qt::AlignCenter);
  lblHeading->setGeometry(TwipsToPixels(-30), TwipsToPixels(-30), TwipsToPixels(1770),
                          TwipsToPixels(315));
  QFont hf = lblHeading->font();
  hf.setBold(true);
  lblHeading->setFont(hf);

  // Top to bottom the entries are 0, 1, 2, 4, 3.
  const int tops[5] = {510, 810, 1110, 1725, 1410};
  for (int i = 0; i < 5; ++i) {
    auto* l = new QLabel(QString::fromUtf8(kMenuCaptions[i]), picMenu);
    l->setObjectName(QStringLiteral("lblMenu_%1").arg(i));
    l->setAutoFillBackground(true);
    l->setCursor(Qt::PointingHandCursor);
    l->setGeometry(TwipsToPixels(i == 4 ? 330 : 345), TwipsToPixels(tops[i]), TwipsToPixels(1365),
                   TwipsToPixels(270));
    l->installEventFilter(this);
    lblMenu[i] = l;
  }
  const int lineTops[6] = {480, 780, 1080, 1380, 1695, 2010};
  for (int i = 0; i < 6; ++i) {
    auto* line = new QFrame(picMenu);
    line->setObjectName(QStringLiteral("Line1_%1").arg(i));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(TwipsToPixels(300), TwipsToPixels(lineTops[i]), TwipsToPixels(1410), 2);
    Line1[i] = line;
  }
}

void FrmOptions::BuildPages() {
  categoryPage = new CategoryPage(state_, this);
  textPage = new TextPage(state_, this);
  colourPage = new ColourPage(state_, this);
  tonePage = new TonePage(state_, this);
  auto* help = new QWidget(this);
  help->setObjectName(QStringLiteral("framMenu_3"));
  txtHelp = new QPlainTextEdit(help);
  txtHelp->setObjectName(QStringLiteral("txtHelp"));
  txtHelp->setReadOnly(true);
  txtHelp->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  txtHelp->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  txtHelp->setPlainText(HelpText());
  txtHelp->setGeometry(4, 8, TwipsToPixels(design::kFramMenuWidth) - 8,
                       TwipsToPixels(design::kFramMenuHeight) - 12);

  framMenu = {categoryPage, textPage, colourPage, help, tonePage};
  for (QWidget* page : framMenu) ui::ShiftChildren(page, 5);
  // At design time the pages lie spread over a wide window; start-up stacks
  // them all on page 0's place.
  for (int i = 0; i < 5; ++i) {
    framMenu[i]->setGeometry(TwipsToPixels(design::kFramMenuLeft + i * 7800),
                             TwipsToPixels(design::kFramMenuTop),
                             TwipsToPixels(design::kFramMenuWidth),
                             TwipsToPixels(design::kFramMenuHeight));
  }
}

QString FrmOptions::HelpText() {
  return QStringLiteral(
             "Левая[кнопка мыши] устанавливает новый шаблон отображения (картинку, \r\n") +
         QStringLiteral(
             "шрифт, параметры текста, тени и каймы). Правая[кнопка мыши] устанавливает ТОЛЬКО "
             "картинку из шаблона (остальные параметры подбираются отдельно).  Подбирая "
             "параметры отображения текста, меняется только отображение на экране, НЕ меняя сам "
             "шаблон. Чтобы сохранить выбранные параметры текста в любом из шаблонов, нужно "
             "кликнуть на соответствующем шаблоне с нажатой клавишей [Ctrl]. ВНИМАНИЕ: параметры "
             "шаблона будут переписаны без возможности восстановления первоначального "
             "состояния!\r\n");
}

// --- start-up ---------------------------------------------------------------

bool FrmOptions::Form_Load() {
  // 1 (the single-instance check) runs in main(), before anything is read.
  // 2. The window icon.
  setWindowIcon(StampIcon());
  // 3, 4. INI access and the program's paths.
  ini_ = std::make_unique<settings::INI_Class>();
  settings::SetAppPaths(env_.programDir);
  store_ = std::make_unique<settings::UserSettings>(env_.userStoreFile);
  // 5-8. Twips per pixel is fixed (see Twips.h); the derived sizes come from
  // the design geometry.
  const double DefWidth = design::DefWidth();
  const double DesignHeight = design::DesignHeight();
  // 9. Where the window was when it last closed.
  const QString defPos = classic::SingleText(static_cast<float>(design::kFormLeft)) + u'|' +
                         classic::SingleText(static_cast<float>(design::kFormTop)) + u'|' +
                         classic::SingleText(static_cast<float>(DefWidth)) + u'|' +
                         classic::SingleText(static_cast<float>(DesignHeight));
  const QRectF saved = SavedPlacement(GetS(QStringLiteral("FrmOptPos"), defPos));

  // 10. The progress window, centred over the saved place.
  progress_ = std::make_unique<FrmProgress>();
  progress_->Init(
      static_cast<float>((saved.width() - design::kProgressWidth) / 2 + saved.left()),
      static_cast<float>((DesignHeight - design::kProgressHeight) / 2 + saved.top()),
      QStringLiteral("Загрузка..."));

  // 11-15. Categories, the font list and the templates. Start-up reads
  // thousands of keys: they all come from one parsed copy of the file.
  ui::ClassicListBox* lstDir = categoryPage->lstDir;
  lstDir->Clear();
  ini_->BeginBulkRead(settings::sIniFile());
  const QString iniFile = settings::sIniFile();
  catalogue_ = gallery::LoadCatalogue(
      [&](const QString& section, const QString& key) {
        return ini_->ReadINIKey(section, key, iniFile, QString());
      },
      // 15. After each category the progress moves on by its step.
      [&](int done, int total) {
        const float step = 88.0f / static_cast<float>(total);
        progress_->Progress(7.0f + step * static_cast<float>(done));
      },
      // 12, 13. The names are listed, then the fonts, before the templates.
      [&](const QStringList& captions) {
        for (const QString& caption : captions) lstDir->AddItem(caption);
        FontListing();
        return !unloaded_;
      });
  if (unloaded_) return false;

  // 16, 17. The palette's default colours, then the user's set.
  LoadColours();
  // 18, 19. The thumbnails.
  gallery->CreateThumbnails();
  for (QFrame* f : gallery->framPic) f->setFrameShape(QFrame::NoFrame);

  // 20. The command line.
  const CommandLine cmd = ParseCommandLine(env_.commandLine);
  state_.HostHwnd = cmd.HostHwnd;
  // The host may answer at once: listen before announcing ourselves.
  host->Listen();
  host->SendHwnd();
  state_.sampleText = cmd.sampleText;

  // 21. The current look.
  Text1->setText(ini_->ReadINIKey(QStringLiteral("General"), QStringLiteral("Selected"), iniFile,
                                  QString()));
  ini_->EndBulkRead();

  // 22. The one-shot save timer.
  tmr[1] = new QTimer(this);
  tmr[1]->setObjectName(QStringLiteral("tmr_1"));
  tmr[1]->setSingleShot(true);
  tmr[1]->setTimerType(Qt::PreciseTimer);
  tmr[1]->stop();
  tmr[1]->setInterval(1000);
  host->SetSaveTimer(tmr[1]);
  connect(tmr[1], &QTimer::timeout, host, [this] { host->tmr_Timer(1); });

  // 23. The hue strip's colours.
  colourPage->FillHueTable();
  // 24. Stack the pages on page 0's place.
  for (int i = 1; i < 5; ++i) framMenu[i]->move(framMenu[0]->pos());

  FillStartupRest();

  // 29, 30. Default width, then the gallery margins.
  Move(Left(), Top(), DefWidth, DesignHeight);
  ResizeParamDef();
  // 31. The page that was open.
  state_.CurrentPage = classic::CInt(classic::Val(GetS(QStringLiteral("OptMenu"), QStringLiteral("0"))))
                           .value_or(0);
  MenuSet(state_.CurrentPage);
  // 32, 33.
  progress_->Progress(100);
  setProperty("Tag", windowTitle());
  // 34. The colour tools edit the text colour.
  colourPage->LumaSync = true;
  colourPage->ClrTarget = 1;
  // 35. Every control from the current line.
  SetParamFromText();
  // 36. The saved place.
  Move(saved.left(), saved.top(), saved.width(), saved.height());
  // 37. The progress window is done.
  progress_->ProgressStop();
  progress_.reset();
  // 38. The size limit: at least DefWidth by MinHeight, no maximum.
  setMinimumSize(TwipsToPixels(DefWidth), TwipsToPixels(design::MinHeight()));
  // 39. Wheel notches: each slider takes one small step per notch itself
  // (ClassicScrollBar); notches over a slider's text box or frame do not yet
  // reach the slider.
  tmr[0]->start();
  return true;
}

void FrmOptions::FillStartupRest() {
  // 25. The texture picture, whole.
  QFile texture(
      platform::ResolveRelativePath(settings::sTemplateRoot(), QStringLiteral("Chm1.png")));
  if (texture.open(QIODevice::ReadOnly)) {
    TextureBytes = texture.readAll();
    // An empty file is no texture at all.
    TextureLoaded = !TextureBytes.isEmpty();
  }
  // 26, 27. The preview background colour.
  FonNum = classic::CInt(classic::Val(GetS(QStringLiteral("FonNum"), QStringLiteral("1"))))
               .value_or(1);
  ApplyBackgroundColour();
  // 28. The texture switch, silently.
  {
    const FormReadyOff off(state_);
    const QSignalBlocker block(categoryPage->chkTexura);
    const int v = classic::CInt(classic::Val(GetS(QStringLiteral("TxturEn"), QStringLiteral("1"))))
                      .value_or(1);
    categoryPage->chkTexura->SetValue(v);
    chkTexura_Click();
  }
  state_.FormReady = true;
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
    ui::ClassicListBox* lst = textPage->lstFont;
    lst->Clear();
    for (const QString& f : families) lst->AddItem(f);
  }
  GdipStop();
}

void FrmOptions::LoadColours() {
  colour::ColourCells cells = colour::DefColors;
  colourPage->SetCellColours(cells);
  colour::ApplyColorsKey(
      ini_->ReadINIKey(QStringLiteral("General"), QStringLiteral("Colors"), settings::sIniFile(),
                       QString()),
      cells);
  colourPage->SetCellColours(cells);
}

void FrmOptions::ApplyBackgroundColour() { templates->ApplyBackgroundColour(); }

void FrmOptions::chkTexura_Click() { templates->chkTexura_Click(); }

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
  const QColor strip = picMenu->palette().color(QPalette::Window);
  for (int i = 0; i < 5; ++i) {
    const bool on = i == p;
    framMenu[i]->setVisible(on);
    QLabel* l = lblMenu[i];
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, on ? QColor(0, 0, 0x80) : strip);
    pal.setColor(QPalette::WindowText, on ? QColor(Qt::white) : QColor(Qt::black));
    l->setPalette(pal);
    QFont f = l->font();
    f.setBold(on);
    l->setFont(f);
  }
}

void FrmOptions::lblMenu_MouseDown(int Index) {
  MenuSet(static_cast<std::int16_t>(Index));
  state_.CurrentPage = static_cast<std::int16_t>(Index);
}

bool FrmOptions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (int i = 0; i < 5; ++i) {
      if (watched == lblMenu[i]) {
        lblMenu_MouseDown(i);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

// --- geometry ---------------------------------------------------------------

double FrmOptions::Left() const { return PixelsToTwips(geometry().x()); }
double FrmOptions::Top() const { return PixelsToTwips(geometry().y()); }
double FrmOptions::Width() const { return PixelsToTwips(geometry().width()); }
double FrmOptions::Height() const { return PixelsToTwips(geometry().height()); }

void FrmOptions::Move(double left, double top, double width, double height) {
  setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
              TwipsToPixels(height));
}

void FrmOptions::SetWinState() {
  if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
    showNormal();
}

void FrmOptions::ResizeParamDef() {
  const double picFrameW = PixelsToTwips(gallery->width());
  const double picFrameH = PixelsToTwips(gallery->height());
  margins_.FrameDW = Width() - picFrameW;
  margins_.FrameDH = Height() - picFrameH;
  margins_.ScrollDX = picFrameW - PixelsToTwips(gallery->scrlPic->x());
  margins_.ScrollDH = picFrameH - PixelsToTwips(gallery->scrlPic->height());
  margins_.ViewDW = picFrameW - PixelsToTwips(gallery->framPic[0]->width());
  margins_.ViewDH = picFrameH - PixelsToTwips(gallery->framPic[0]->height());
  margins_.StripDW =
      PixelsToTwips(gallery->framPic[0]->width()) - PixelsToTwips(gallery->framPic[1]->width());
  MarginsSet = true;
}

void FrmOptions::ResizeParamSet() {
  if (!MarginsSet) return;
  const double picFrameW = Width() - margins_.FrameDW;
  const double picFrameH = Height() - margins_.FrameDH;
  gallery->resize(TwipsToPixels(picFrameW), TwipsToPixels(picFrameH));
  gallery->scrlPic->setGeometry(TwipsToPixels(picFrameW - margins_.ScrollDX), gallery->scrlPic->y(),
                                gallery->scrlPic->width(),
                                TwipsToPixels(picFrameH - margins_.ScrollDH));
  const double viewW = picFrameW - margins_.ViewDW;
  gallery->framPic[0]->resize(TwipsToPixels(viewW), TwipsToPixels(picFrameH - margins_.ViewDH));
  gallery->framPic[1]->resize(TwipsToPixels(viewW - margins_.StripDW),
                              gallery->framPic[1]->height());
  templates->FrameResize();
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
  if (store_) store_->SetS(sKey, Sval);
}

QString FrmOptions::GetS(const QString& sKey, const QString& sDef) const {
  return store_ ? store_->GetS(sKey, sDef) : sDef;
}

bool FrmOptions::GdipStart() {
  if (render::GdipStart()) return true;
  QMessageBox::critical(this, windowTitle(), QStringLiteral("Error loading GDI+!"));
  return false;
}

void FrmOptions::GdipStop() { render::GdipStop(); }

// --- shutdown ---------------------------------------------------------------

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
  tmr[0]->stop();
  // A change made less than a second ago is still waiting in the save timer;
  // closing must not lose it.
  host->FlushPendingSave();
  // 1, 2. The wheel handling and the size limit go.
  setMinimumSize(0, 0);
  // 3. INI access is released.
  ini_.reset();
  // 4, 5. The place of the normal window.
  // Qt knows the normal place of a maximised window only while it is still
  // maximised: take it before the window is set back.
  const bool wasMaximised =
      windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen);
  const QRect g = wasMaximised && normalGeometry().isValid() ? normalGeometry() : geometry();
  SetWinState();
  SetS(QStringLiteral("FrmOptPos"),
       classic::SingleText(static_cast<float>(PixelsToTwips(g.x()))) + u'|' +
           classic::SingleText(static_cast<float>(PixelsToTwips(g.y()))) + u'|' +
           classic::SingleText(static_cast<float>(PixelsToTwips(g.width()))) + u'|' +
           classic::SingleText(static_cast<float>(PixelsToTwips(g.height()))));
  // 6. The open page.
  SetS(QStringLiteral("OptMenu"), QString::number(state_.CurrentPage));
  // 7. The host hears that we are gone.
  if (state_.HostHwnd > 0) SendText(QStringLiteral("W=0"));
  host->Close();
  Q_EMIT Unloaded();
}

}  // namespace qm
