// The record by which a program describes itself to the about window.
#pragma once

#include <QPixmap>
#include <QString>

namespace toolkit {

// Passed by value: the callee works on its own copy, whose texts share the caller's (Qt's
// strings are reference-counted). A value-initialised record has every text empty, every flag
// false and no picture.
struct TAboutInfo {
  QString Title;                     // painted large in the title area; the window caption
  QString SubTitle;                  // painted under the title, shrunk to fit the width
  QString Description;               // the description label
  QString Copyright;                 // the copyright label
  const QPixmap* Graphic = nullptr;  // not owned; painted at the right of the title area, at
                                     // its logical size (deviceIndependentSize)
  QString BuildText;                 // when not empty, replaces the window's own build text
  bool ShowCredits = false;          // the credits scroll instead of the legal notice
  bool ShowPartnerLink = false;
  QString Url;             // opened by a press on the title; empty: the title is no link
  bool SpareFlag = false;  // not read; callers leave it false
  bool Translate = false;  // replace the window's texts from string resources first
};

}  // namespace toolkit
