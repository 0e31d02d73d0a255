#pragma once
// The desktop stamp without its window: the look (our copy of the line), the
// text, the link to the editor and the drawn stamp, kept in step.
//
// A message from the editor changes the line at once, before the editor hears
// our answer; the stamp is drawn again once the messages that arrived together
// have all been applied, so a slider dragged in the editor costs one drawing
// per step we can show, not one per message.

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <memory>

#include "host/EditorLink.h"
#include "host/HostLine.h"
#include "host/HostNote.h"
#include "host/HostOptions.h"
#include "host/StampPainter.h"
#include "host/TextSource.h"

namespace qm::host {

struct HostPaths {
  QString iniFile;        // Quillmark.ini: the selection to start from (never written)
  QString templateRoot;   // Tavrel/
  QString editorProgram;  // QuillmarkOpt beside us
  QString linkDir;        // empty: the usual folder
};

// The first installed font family: the font of the editor's default look.
QString DefaultLookFont();

// Starts `line` from --line or from the INI selection. A note says when that
// look could not be used and the default look is shown instead.
Note StartLine(HostLine& line, const HostOptions& options, const QString& iniFile);

class StampHost : public QObject {
  Q_OBJECT
 public:
  StampHost(const HostOptions& options, const HostPaths& paths, QObject* parent = nullptr);
  ~StampHost() override;

  // The line, the text source and our link endpoint; with --open-editor the
  // editor starts once the text is known. Nothing is drawn before; a second
  // call does nothing.
  void Start();
  // Our link endpoint alone, ahead of the start: a stamp that shows before
  // it starts can be written to as soon as it is seen. What arrives is read
  // by the event loop, after the start.
  void Listen();
  void SetDevicePixelRatio(qreal dpr);

  const QImage& Image() const { return painter_.Image(); }
  QSize StampSize() const { return painter_.LogicalSize(); }
  // The problems of the moment, one per line, or how to reach the editor.
  QString Tooltip() const;

  const HostLine& Line() const { return line_; }
  EditorLink& Link() { return link_; }
  TextSource& Text() { return *text_; }

  // "Настроить…": the editor shows itself, or starts.
  void OpenEditor();
  // "Шрифт": the editor selects the family and names it back, which changes
  // our line the way every editor message does.
  void ChooseFont(const QString& family);
  // "Выход": an open editor is told to close.
  void CloseEditor() { link_.CloseEditor(); }

  // Draws the stamp now, if anything changed since it was last drawn.
  void Refresh();
  int PaintCount() const { return paintCount_; }

 Q_SIGNALS:
  // The picture, its size or the tooltip changed.
  void stampChanged();

 private:
  void OnEditorMessage(const QString& text);
  void OnTextChanged();
  void ScheduleRefresh();
  void SetNote(Note& slot, const Note& note);

  HostOptions options_;
  HostPaths paths_;
  HostLine line_;
  std::unique_ptr<TextSource> text_;
  EditorLink link_;
  StampPainter painter_;
  qreal dpr_ = 1.0;
  bool started_ = false;
  bool listenTried_ = false;
  bool dirty_ = true;
  bool refreshQueued_ = false;
  bool editorOpenedAtStart_ = false;
  int paintCount_ = 0;
  Note textNote_, paintNote_, editorNote_;
};

// --render: draws the stamp the options describe into a PNG file, without a
// window; returns the program's exit status (render::RenderStatus).
int RenderStampFile(const HostOptions& options, const HostPaths& paths);

}  // namespace qm::host
