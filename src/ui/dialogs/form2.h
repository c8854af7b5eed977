// The legacy cleaner: removes the folders that WeChat 2019 and earlier left in the account folder,
// in one pass behind an always-on-top progress window.
#pragma once

#include <string>
#include <vector>

#include "ui/main/ports.h"
#include "ui/model/controls.h"

namespace ui {

class Form1;

class Form2 : public Form {
 public:
  Form2(Form1& main, const Ports& ports);

  void open();
  void unload();

  Label Label1, Label2;
  Timer Timer1;

  std::string accountPath, current;

 private:
  void pass();
  void finish();

  Form1& main_;
  Ports ports_;
  bool running_ = false;
  int pending_ = 0;
  std::vector<std::string> leftBehind_;
};

}  // namespace ui
