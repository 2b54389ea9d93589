// Opening files and web or mail addresses in the desktop's default handler.
#pragma once

class QLabel;
class QString;
class QWidget;

namespace toolkit {

// Opens the target: an absolute file path, a web address ("https://…", or "www.…" for http) or
// a mail address ("mailto:…"). Blanks right after the scheme are dropped, so that the caption
// "mailto: x@example.com" mails x@example.com. True when the desktop accepted it; nothing is
// shown on failure. The window is the one the request is made for; the desktop's open service
// takes none, so it only documents the caller.
bool RunProgram(QWidget* window, const QString& target);

// Opens the label's caption as RunProgram does, with colour feedback: the caption turns red,
// pending events are processed so that the red is painted before the handler starts, and it
// turns purple afterwards, visited, whatever the result. False for no label.
bool OpenLinkLabel(QLabel* label);

}  // namespace toolkit
