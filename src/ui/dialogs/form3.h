// The received-files dialog: clear the whole received-files folder, or open it for deleting by
// hand.
#pragma once

#include <string>

#include "ui/main/ports.h"
#include "ui/model/controls.h"

namespace ui {

class Form1;

class Form3 : public Form {
 public:
  Form3(Form1& main, const Ports& ports);

  // Opens the dialog afresh (every opening repeats the existence test) and hides the main window.
  void open();
  // Closes the dialog, whichever way, and gives the main window back.
  void unload();

  std::string accountPath, receivedPath;

  Label Label1;
  Button Command1, Command2;
  Button Command3;  // beyond the right edge; holds the focus so Enter does nothing at first

 private:
  void load();
  void clearAll();
  void openByHand();

  Form1& main_;
  Ports ports_;
  bool clearing_ = false;  // confirmed or removing: a second click must not queue the folder again
};

}  // namespace ui
