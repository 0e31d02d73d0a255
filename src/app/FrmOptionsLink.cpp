// The window's side of the host link and of the current line: wiring the host
// session to the pages and timers, SendText, and SetParamFromText, which sets
// every control from the line. Kept apart from FrmOptions.cpp (start-up,
// layout, gallery) so each can change without touching the other.

#include <QSignalBlocker>
#include <QStyle>
#include <optional>

#include "app/DesignGeometry.h"
#include "app/FrmOptions.h"
#include "colour/ui/ColourPage.h"
#include "colour/ui/TonePage.h"
#include "gallery/ui/CategoryPage.h"
#include "params/ParamLine.h"
#include "params/ui/HostSession.h"
#include "params/ui/TextPage.h"
#include "platform/Classic.h"
#include "settings/AppPaths.h"
#include "settings/IniClass.h"

namespace qm {

namespace {

// A line's number as a slider or box value: nearest 16-bit integer, halves
// to even; a float beyond 16 bits goes to the nearer end (the control clamps).
int To16(double v) {
  if (const auto c = classic::CInt(v)) return *c;
  return v < 0 ? -32768 : 32767;
}

}  // namespace

void FrmOptions::ConnectHostLink() {
  host = new HostSession(state_, Text1, txtMsg, this);
  host->SetLinkDirectory(env_.linkDir);
  HostSession::Hooks& h = host->hooks;
  // Closing from inside the link handler would tear the window down while
  // the endpoint is still answering; it closes right after.
  h.closeWindow = [this] {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  };
  h.restoreWindow = [this] {
    SetWinState();
    raise();
    activateWindow();
    setFocus();
  };
  h.selectFont = [this](const QString& name) { textPage->SelectFontSilently(name); };
  h.fontClick = [this] { textPage->lstFont_Click(); };
  h.fallbackFont = [this] {
    const ui::ClassicListBox* lst = textPage->lstFont;
    return lst->ListIndex() >= 0 ? lst->Text() : lst->List(0);
  };
  h.saveLine = [this](const QString& line) {
    return ini_ && ini_->WriteInIKey(QStringLiteral("General"), QStringLiteral("Selected"), line,
                                     settings::sIniFile());
  };
  h.showBlink = [this](const BlinkLook& look) {
    QFrame* mark = colourPage->shpBox;
    mark->setProperty("DrawMode", look.drawMode);
    mark->setProperty("BorderStyle", look.borderStyle);
    // Inverting (6) shows as a black outline on the light cells, merging the
    // inverted pen (12) as a white one; 3 is dotted.
    mark->setStyleSheet(
        QStringLiteral("QFrame#shpBox { border: 1px %1 %2; background: transparent; }")
            .arg(look.borderStyle == 3 ? QStringLiteral("dotted") : QStringLiteral("solid"),
                 look.drawMode == 6 ? QStringLiteral("black") : QStringLiteral("white")));
  };
  connect(tmr[0], &QTimer::timeout, host, [this] { host->tmr_Timer(0); });
  connect(textPage, &TextPage::DefaultSizeRequested, this, [this] {
    SetWinState();
    Move(Left(), Top(), design::DefWidth(), design::DesignHeight());
  });
}

bool FrmOptions::SendText(const QString& sMsg) { return host->SendText(sMsg); }

void FrmOptions::SetParamFromText() {
  // A line that cannot be read (no "Selected" yet, or edited by hand) is not
  // shown as garbage: the controls show the default look, silently, and the
  // line stays as it is until the user changes something, which then writes
  // a complete line built on that default.
  QString line = Text1->text();
  std::optional<HostSession::Mute> mute;
  if (!params::IsValidLine(line)) {
    mute.emplace(*host);
    line = host->FallbackLine();
  }
  const QStringList fields = classic::Split(line, u'|', params::kFieldCount);
  const std::optional<params::StampParams> parsed = params::ParseParamFields(fields);
  if (!parsed) return;  // no font listed at all and so no default either
  const params::StampParams& p = *parsed;

  // 1. The typed copy.
  state_.CurrentParams = params::ToCurrentParams(p);
  // 2. The font, when listed (exact name); the list's own handling sends it.
  ui::ClassicListBox* lstFont = textPage->lstFont;
  for (int i = 0; i < lstFont->ListCount(); ++i) {
    if (lstFont->List(i) == fields[params::kFontName]) {
      lstFont->SetListIndex(i);
      break;
    }
  }
  // 3. From here the controls change silently...
  state_.FormReady = false;
  // 4-8.
  for (int b = 0; b < 3; ++b) textPage->chkFontAttr[b]->SetValue((p.FontStyle >> b) & 1);
  textPage->scrlFontSize->SetValue(-p.FontSize);
  textPage->scrlShTrans->SetValue(255 - p.ShadowAlpha);
  textPage->scrlBorder->SetValue(-p.BorderWidth);
  textPage->chkText->SetValue(p.TextOn);
  textPage->chkShadow->SetValue(p.ShadowOn);
  textPage->chkBorder->SetValue(p.BorderOn);
  textPage->chkBrdDown->SetValue(p.BorderUnder);
  // 9. The colour editor shows the colour of its target.
  colourPage->RefreshFromSelectedColor();
  // 10. The picture tone.
  tonePage->scrlHue[0]->SetValue(p.PicHue);
  tonePage->scrlHue[1]->SetValue(p.PicSaturation);
  tonePage->scrlHue[2]->SetValue(p.PicValue);
  tonePage->scrlHue[3]->SetValue(p.PicBrightness);
  tonePage->scrlHue[4]->SetValue(p.PicAlpha - 100);
  // 11. ...until here.
  state_.FormReady = true;
  // 12. The offsets; their sliders send whatever FormReady says, so every
  // offset that moved reaches the host again.
  // An offset the slider cannot hold (a hand-edited line) is shown at the
  // slider's end but neither sent nor written back: the stored line keeps
  // it until the user moves that slider.
  const auto setOffset = [](ui::ClassicScrollBar* slider, QLineEdit* display, double v, int sign) {
    const int lo = std::min(slider->Min(), slider->Max());
    const int hi = std::max(slider->Min(), slider->Max());
    if (v >= lo && v <= hi) {
      slider->SetValue(To16(v));
      return;
    }
    const QSignalBlocker quiet(slider);
    slider->SetValue(v < lo ? lo : hi);
    display->setText(QString::number(sign * slider->Value()));
  };
  setOffset(textPage->scrlTempX, textPage->txtTempX, -static_cast<double>(p.TextX), -1);
  setOffset(textPage->scrlTempY, textPage->txtTempY, p.TextY, 1);
  setOffset(textPage->scrlShadowX, textPage->txtShadowX, -static_cast<double>(p.ShadowX), -1);
  setOffset(textPage->scrlShadowY, textPage->txtShadowY, p.ShadowY, 1);
  // 13. The template's category, when listed; choosing it shows its gallery.
  const QStringList pathParts = classic::Split(fields[params::kPicture], u'\\', 2);
  const QString categoryPath = pathParts.value(0) + u'\\';
  for (qsizetype i = 0; i < catalogue_.categories.size(); ++i) {
    if (catalogue_.categories[i].path == categoryPath) {
      categoryPage->lstDir->SetListIndex(static_cast<int>(i));
      break;
    }
  }
}

}  // namespace qm
