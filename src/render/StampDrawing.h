#pragma once
// A whole stamp as the gallery shows a template: the template picture with its
// tone, in a box 4 pixels larger than the picture, and the text drawn over it.
// The command-line renderer and the desktop stamp both draw through here, so a
// stamp looks the same wherever it is drawn.

#include <QString>

#include "render/PictureRenderer.h"
#include "render/StampText.h"
#include "stamp/StampParams.h"

namespace qm::render {

struct PictureBox;

// Exit statuses of the programs that draw a stamp into a file.
enum RenderStatus : int {
  kRenderDrawn = 0,         // picture and text drawn
  kRenderTextNotDrawn = 1,  // the picture drawn, the text not (an unknown font, say)
  kRenderBadInput = 2,      // bad arguments, a malformed line, an unreadable picture
};

struct StampDrawing {
  bool pictureDrawn = false;
  StampTextResult text = StampTextResult::NoSurface;  // NoSurface also when not tried
  bool whole() const { return pictureDrawn && text == StampTextResult::Drawn; }
};

// Draws the picture that `params` names (relative to `templateRoot`) with its
// tone into `box`, which takes the picture's size plus 4 pixels, then the text
// over it. A picture that is missing, does not decode or lies outside the root
// leaves the box as it was, and no text is drawn on it.
StampDrawing DrawStamp(const QString& templateRoot, const stamp::StampParams& params,
                       const QString& sampleText, PictureBox& box, const TextureSource& texture,
                       PictureCache* cache = nullptr);

// Why a text was not drawn, in a few words for a message ("font "X" is not
// installed ...").
QString StampTextProblem(StampTextResult result, const QString& fontName);

// Before the application object of a program that draws into a file: draw
// off-screen unless a platform was chosen, so a script works the same with or
// without a display, and keep Qt's own notes about the environment out of the
// one-line errors that scripts read (critical ones still show, prefixed with
// `programName`, which must live as long as the program: a literal).
void PrepareHeadlessDrawing(const char* programName);

}  // namespace qm::render
