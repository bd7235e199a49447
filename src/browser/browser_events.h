#pragma once
// The receiving end of the browser's events: screening of navigations, the
// reading and analysis of every completed page, scroll keeping, and the click
// that silences the capacity alarm.
#include <string_view>

#include "app/client_controller.h"

namespace jinro {

class BrowserEventSink {
 public:
  explicit BrowserEventSink(ClientController& controller) : c_(controller) {}

  // Before each navigation of the page or of a frame; sets cancel to refuse it.
  void onBeforeNavigate2(std::u16string_view url, bool& cancel);
  // A document completed; html is the root element's outer HTML as the
  // browser holds it now.
  void onDocumentComplete(std::u16string_view url, std::u16string_view html);
  // A page asks for a new window; left uncancelled it opens outside the client.
  void onNewWindow2(bool& cancel);
  void onBrowserQuit();
  // A left button press on the page.
  void onContentLeftButtonDown();

 private:
  ClientController& c_;
};

}  // namespace jinro
