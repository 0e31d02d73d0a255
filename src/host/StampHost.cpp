#include "host/StampHost.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <utility>

#include "render/PngFile.h"
#include "render/StampFont.h"
#include "settings/IniClass.h"
#include "stamp/HostMessage.h"
#include "stamp/IniKeys.h"
#include "stamp/ParamLine.h"

namespace qm::host {

QString DefaultLookFont() { return render::InstalledFontFamilies().value(0); }

Note StartLine(HostLine& line, const HostOptions& options, const QString& iniFile) {
  if (options.line) {
    if (line.Start(*options.line)) return {};
    return {QCoreApplication::translate("qm::host",
                                        "Вид из --line не годится; показан вид по умолчанию."),
            QStringLiteral("the look given with --line is not a valid line; showing the "
                           "default look")};
  }
  settings::INI_Class ini;
  const QString stored = ini.Read(stamp::kSelectedLine, iniFile);
  // No selection yet is the usual first start, not worth a word.
  if (line.Start(stored) || stored.isEmpty()) return {};
  return {QCoreApplication::translate(
              "qm::host", "Выбранный вид в Quillmark.ini не годится; показан вид по умолчанию."),
          QStringLiteral("the selection in %1 is not a valid line; showing the default look")
              .arg(iniFile)};
}

StampHost::StampHost(const HostOptions& options, const HostPaths& paths, QObject* parent)
    : QObject(parent),
      options_(options),
      paths_(paths),
      // The default look's font is looked up when the host starts: finding it
      // reads the whole font list, which a stamp shown at its kept size does
      // after it is on the screen.
      line_(QString()),
      text_(MakeTextSource(options)),
      painter_(paths.templateRoot) {
  link_.SetLinkDirectory(paths.linkDir);
  link_.SetEditorProgram(paths.editorProgram);
  if (options.language) link_.SetEditorLanguage(platform::LanguageCode(*options.language));
  connect(&link_, &EditorLink::messageReceived, this, &StampHost::OnEditorMessage);
  connect(&link_, &EditorLink::problem, this, [this](const Note& n) {
    SetNote(editorNote_, n);
    Q_EMIT stampChanged();
  });
  connect(&link_, &EditorLink::editorChanged, this, [this] {
    if (link_.EditorHandle() > 0 && !editorNote_.isEmpty()) {
      editorNote_ = {};
      Q_EMIT stampChanged();
    }
  });
  connect(text_.get(), &TextSource::changed, this, &StampHost::OnTextChanged);
}

StampHost::~StampHost() = default;

void StampHost::Start() {
  if (started_) return;
  started_ = true;
  line_ = HostLine(DefaultLookFont());
  PrintNote(StartLine(line_, options_, paths_.iniFile));
  Listen();
  Refresh();
  text_->Start();
}

void StampHost::Listen() {
  if (std::exchange(listenTried_, true)) return;
  if (!link_.Listen())
    PrintNote({QString(), QStringLiteral("cannot listen for the editor: %1; it cannot be opened "
                                         "from the stamp")
                              .arg(link_.ErrorString())});
}

void StampHost::SetDevicePixelRatio(qreal dpr) {
  if (!(dpr > 0) || qFuzzyCompare(dpr, dpr_)) return;
  dpr_ = dpr;
  dirty_ = true;
  Refresh();
}

void StampHost::OnEditorMessage(const QString& text) {
  // Refused messages, and any that are not about the look, change nothing.
  if (line_.Apply(text) != HostLine::Outcome::Applied) return;
  dirty_ = true;
  ScheduleRefresh();
}

void StampHost::OnTextChanged() {
  SetNote(textNote_, text_->Problem());
  dirty_ = true;
  ScheduleRefresh();
  if (options_.openEditor && !editorOpenedAtStart_ && text_->HasRead()) {
    // The editor shows our text on its thumbnails: it starts once we know it,
    // and once our window stands where it will, so that it opens beside it.
    editorOpenedAtStart_ = true;
    QMetaObject::invokeMethod(this, &StampHost::OpenEditor, Qt::QueuedConnection);
  }
}

void StampHost::ScheduleRefresh() {
  if (refreshQueued_) return;
  refreshQueued_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        refreshQueued_ = false;
        Refresh();
      },
      Qt::QueuedConnection);
}

void StampHost::Refresh() {
  // Before the start there is no look to draw yet; what asked stays due.
  if (!dirty_ || !started_) return;
  dirty_ = false;
  ++paintCount_;
  const StampPainter::Result r = painter_.Paint(line_.Params(), text_->Text(), dpr_);
  SetNote(paintNote_, r.problem);
  Q_EMIT stampChanged();
}

void StampHost::SetNote(Note& slot, const Note& note) {
  if (note == slot) return;
  slot = note;
  PrintNote(note);
}

QString StampHost::Tooltip() const {
  QStringList lines;
  for (const Note* n : {&paintNote_, &textNote_, &editorNote_})
    if (!n->isEmpty()) lines << n->tooltip;
  lines << QCoreApplication::translate("qm::host", "Двойной щелчок открывает редактор.");
  return lines.join(u'\n');
}

void StampHost::OpenEditor() {
  if (link_.OpenEditor(text_->Text()) != EditorLink::Open::Failed && !editorNote_.isEmpty()) {
    editorNote_ = {};
    Q_EMIT stampChanged();
  }
}

void StampHost::ChooseFont(const QString& family) {
  link_.Send(stamp::FieldMessage(stamp::kFontName, family));
}

int RenderStampFile(const HostOptions& options, const HostPaths& paths) {
  const auto fail = [](int status, const QString& why) {
    PrintNote({QString(), why});
    return status;
  };
  HostLine line(DefaultLookFont());
  if (options.line) {
    QString error;
    if (!stamp::ParseLine(*options.line, &error))
      return fail(render::kRenderBadInput, QStringLiteral("malformed line: ") + error);
  }
  PrintNote(StartLine(line, options, paths.iniFile));
  const std::unique_ptr<TextSource> text = MakeTextSource(options);
  text->ReadNow();
  PrintNote(text->Problem());

  StampPainter painter(paths.templateRoot);
  const StampPainter::Result r = painter.Paint(line.Params(), text->Text(), options.scale);
  PrintNote(r.problem);
  if (r.status() == render::kRenderBadInput) return r.status();
  if (const QString why = render::SavePng(painter.Image(), options.renderTo); !why.isEmpty())
    return fail(render::kRenderBadInput,
                QStringLiteral("cannot write \"%1\": %2").arg(options.renderTo, why));
  // A command or file that gave no text leaves the stamp with a text nobody
  // asked for: drawn, but not as asked.
  if (r.status() == render::kRenderDrawn && !text->Problem().isEmpty())
    return render::kRenderTextNotDrawn;
  return r.status();
}

}  // namespace qm::host
