// The window's side of the host link and of the current line: wiring the host
// session to the pages and timers, SendText, and SetParamFromText, which shows
// the line on every page. Kept apart from FrmOptions.cpp (start-up, layout,
// gallery) so each can change without touching the other.

#include <QDir>
#include <QTimer>
#include <optional>

#include "app/CommandLine.h"
#include "app/DesignGeometry.h"
#include "app/FrmOptions.h"
#include "app/LookActions.h"
#include "colour/ui/ColourPage.h"
#include "colour/ui/TonePage.h"
#include "gallery/ui/CategoryPage.h"
#include "gallery/ui/Gallery.h"
#include "params/HostSession.h"
#include "params/ui/TextPage.h"
#include "platform/link/LinkDirectory.h"
#include "settings/AppPaths.h"
#include "settings/IniClass.h"
#include "stamp/ParamLine.h"

namespace qm {

void FrmOptions::ConnectHostLink() {
  host_->SetLinkDirectory(env_.linkDir);
  HostSession::Hooks& h = host_->hooks;
  // Closing from inside the link handler would tear the window down while
  // the endpoint is still answering; it closes right after. During start-up
  // nothing may close a window that is about to be shown: start-up stops at
  // its next safe point instead.
  h.closeWindow = [this] {
    if (startingUp_) {
      closeRequested_ = true;
      return;
    }
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  };
  h.restoreWindow = [this] {
    SetWinState();
    raise();
    activateWindow();
    setFocus();
  };
  h.selectFont = [this](const QString& name) { textPage_->SelectFontSilently(name); };
  h.fontClick = [this] { textPage_->lstFont_Click(); };
  h.fallbackFont = [this] {
    const ui::ClassicListBox* lst = textPage_->lstFont;
    return lst->ListIndex() >= 0 ? lst->Text() : lst->List(0);
  };
  h.saveLine = [this](const QString& line) {
    // A stamp with a look of its own keeps every change it is sent; the
    // shared selection belongs to the other stamps.
    if (!env_.ownLook.isEmpty()) return true;
    return !ini_ || Saved(ini_->WriteInIKey(QStringLiteral("General"), QStringLiteral("Selected"),
                                            line, settings::sIniFile()));
  };
  h.lineChanged = [this](const QString& before, const QString& after) {
    look_->LineChanged(before, after);
  };
  h.showBlink = [this](const BlinkLook& look) {
    colourPage_->ShowBlink(look.drawMode, look.borderStyle);
  };
  connect(tmr_[0], &QTimer::timeout, this, [this] { host_->tmr_Timer(0); });
  connect(textPage_, &TextPage::DefaultSizeRequested, this, [this] {
    SetWinState();
    Move(Left(), Top(), design::DefWidth(), design::DesignHeight());
  });
}

bool FrmOptions::SendText(const QString& sMsg) { return host_->SendText(sMsg); }

bool FrmOptions::ServeHostOf(const QString& linkDir, const QString& commandLine) {
  if (startingUp_ || unloaded_) return false;
  // A host in another folder could not reach us, nor we it.
  const QString ours = env_.linkDir.isEmpty() ? link::LinkDirectory().path : env_.linkDir;
  if (QDir::cleanPath(linkDir) != QDir::cleanPath(ours)) return false;
  const CommandLine cmd = ParseCommandLine(commandLine);
  const QString sample = state_.sampleText;
  if (!host_->AdoptHost(cmd.HostHwnd, cmd.sampleText)) return false;
  // The thumbnails show the host's text.
  if (state_.sampleText != sample) templates_->PaintAllPic();
  SetWinState();
  raise();
  activateWindow();
  return true;
}

void FrmOptions::SetParamFromText() {
  // A line that cannot be read (no "Selected" yet, or edited by hand) is not
  // shown as garbage: the controls show the default look, silently, and the
  // line stays as it is until the user changes something, which then sends
  // that default to the host and writes a complete line built on it.
  std::optional<stamp::StampParams> parsed = stamp::ParseCurrentLine(state_.Text1.text());
  std::optional<HostSession::Mute> mute;
  if (!parsed) {
    mute.emplace(*host_);
    parsed = stamp::ParseLine(host_->FallbackLine());
  }
  if (!parsed) return;  // no font listed at all and so no default either
  const stamp::StampParams& p = *parsed;

  state_.CurrentParams = p;
  // The font, when listed (exact name); the list's own handling sends it.
  textPage_->SelectListedFont(p.FontName);
  // The other controls change silently...
  state_.FormReady = false;
  textPage_->ShowParams(p);
  colourPage_->ShowParams(p);
  tonePage_->ShowParams(p);
  state_.FormReady = true;
  // ...but the offsets, whose sliders send whatever FormReady says, so every
  // offset that moved reaches the host again.
  textPage_->ShowOffsets(p);
  // The template's category, when listed; choosing it shows its gallery.
  templates_->SelectCategoryOf(p.Picture);
}

}  // namespace qm
