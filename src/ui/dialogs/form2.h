// The legacy cleaner: removes the folders that WeChat 2019 and earlier left in the account folder,
// in one pass behind an always-on-top progress window.
#pragma once

#include <memory>
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
  // One pass: its removals still out and the folders they left behind. Reports of an earlier
  // pass still arriving after the window was reopened count for that pass only.
  struct Pass {
    bool listing = true;
    int pending = 0;
    std::vector<std::string> leftBehind;
  };
  void pass();
  void finish(const Pass& p);

  Form1& main_;
  Ports ports_;
  std::shared_ptr<Pass> pass_;  // the latest pass
};

}  // namespace ui
