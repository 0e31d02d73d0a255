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
#include "gallery/ui/Gallery.h"
#include "pages/ui/EditorPage.h"
#include "pages/ui/TextPage.h"
#include "platform/link/LinkDirectory.h"
#include "session/HostSession.h"
#include "settings/AppPaths.h"
#include "settings/IniClass.h"
#include "stamp/IniKeys.h"
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
  host_->SetFallbackFont(textPage_->ListedFont());
  connect(textPage_, &TextPage::FontChosen, this,
          [this](const QString& font) { host_->SetFallbackFont(font); });
  h.lineChanged = [this](const QString& before, const QString& after) {
    look_->LineChanged(before, after);
  };
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
  std::optional<FillingControls> mute;
  if (!parsed) {
    mute.emplace(state_, FillingControls::Muted);
    parsed = stamp::ParseLine(host_->FallbackLine());
  }
  if (!parsed) return;  // no font listed at all and so no default either
  const stamp::StampParams& p = *parsed;

  state_.CurrentParams = p;
  // The controls change silently...
  {
    const FillingControls filling(state_);
    for (EditorPage* page : framMenu_) page->ShowParams(p);
  }
  // ...but the font and the offsets, whose handlers send whatever FormReady
  // says, so that they reach the host again.
  for (EditorPage* page : framMenu_) page->ShowSentParams(p);
  // The template's category, when listed; choosing it shows its gallery.
  templates_->SelectCategoryOf(p.Picture);
}

}  // namespace qm
