#pragma once
// Qt's own texts in Japanese, whatever the desktop's language: the player
// reads Japanese everywhere else in the program, so the file chooser, the
// buttons of message boxes, the edit menus of text boxes and the page's
// context menu speak it too.
class QCoreApplication;
class QWebEnginePage;

namespace jinro::qt {

// Installs Qt's Japanese translations (qtbase, and those of the other
// modules the system has). Returns how many catalogues were loaded: 0 when
// the translations are not installed, and the texts stay English.
int installJapaneseTranslations(QCoreApplication& application);

// The page's actions (its context menu: back, forward, reload, copy, ...)
// with Japanese texts; Qt ships no Japanese catalogue for them.
void useJapanesePageActions(QWebEnginePage& page);

}  // namespace jinro::qt
