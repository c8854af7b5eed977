// The main window: its controls, its state fields and its handlers. Every decision of the window
// lives here, against the control model and the ports, so tests drive it without Windows.
#pragma once

#include <array>
#include <memory>
#include <set>
#include <string>

#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/main/ports.h"
#include "ui/model/controls.h"

namespace ui {

inline constexpr const char* kAppTitle = "Velmora2023.02版";
inline constexpr const char* kConfirmTitle = "想确认下";
// A second click on a deletion already being confirmed or run gets this instead of a second one.
inline constexpr const char* kBusyCleaning = "正在清理中，请等这一轮清理结束后再试";
inline constexpr int kWidth = 5400, kHeight = 8000, kHeightWithBanner = 9100;

class Form1 : public Form {
 public:
  explicit Form1(const Ports& ports);
  ~Form1() override;

  // The start-up sequence; the caller shows the window afterwards.
  void load();

  Form& form2() { return *form2_; }
  Form& form3() { return *form3_; }
  Form2& legacyCleaner() { return *form2_; }
  Form3& receivedFiles() { return *form3_; }

  // Public routines other windows and stages call; they work on the fields below.
  void labelqinkong();
  void jisuan();
  void tongji();
  void shanchu();
  void shanchuriqi();

  // Public fields.
  std::string lujin, s9;
  std::string n1, n2, n3, n4, n5, n6, n6t, n7, n8;

  // State kept out of sight (plain fields; the names are the ones the windows share).
  std::string lujinweixin = "微信路径";
  std::string Tweixinlujin, ttt, yyy, ttt2, yyy2;
  Color yanse;  // colour of the last measured size
  std::string Textwjjshu = "文件夹数量";
  std::string Textdel = "待删除的文件夹";
  std::string Textderlist = "文件夹列表\r\n";

  // Controls, in z-order (later ones lie on top).
  Label Label1, Label2;
  Button Commandtip;
  Label Label3;
  TextBox Text1;
  Button CommandGetDirectory;
  Line Line1;
  Label Labeltip;

  Frame Frame1;
  ComboBox Combo1;
  Label Label4, labelsize;
  Button Command1;
  Label Labellujin;
  Button Commandyiwen;

  Frame Frame3;
  Button Commandjisuan;
  Label Label12, Label13, Label15;
  Button C1, C2, C3, C4, C5, C6, C7, C8;
  Label Lab1, Lab2, Lab3, Lab4, Lab5, Lab6, Lab7, Lab8;
  Label lj1, lj2, lj3, lj4, lj5, lj6, lj7, lj8;
  Label Label6, Label8, Label7;
  CheckBox Check1;
  TextBox Textsj;
  Line Line2, Line3, Line4, Line5, Line6, Line7, Line8;

  Frame Frame2;
  Label Label16, Label17, Label18;

  Frame Frame4;
  Label Label14;
  Button Command2;

  Button C6Thumb;
  TextBox textwjsl;  // only ever takes the focus, so no visible control shows it

  Timer Timerjiance, Timer1, ti1, ti2, ti3, ti4, ti5, ti6, ti7, Ti8, Timer3, Timerdel;

  // Row k (1..8) of the grid, for table-driven code.
  struct Row {
    Button* button;
    Label* count;
    Label* size;
    Timer* stage;
    std::string* subPath;
  };
  const Row& row(int k) const { return rows_[static_cast<std::size_t>(k)]; }

 private:
  void layout();
  void wireEvents();
  void discover();
  void chooseAccount();
  void commitTypedAccount();
  void forgetAccount();
  void validateAccount();
  void startScan();
  void scanStage(int k);
  void clearStaleTip();
  void showAbout();
  void showAccountIdHelp();
  void pickFolder();
  void openAccountFolder();
  void openReceivedFiles();
  void openLegacyCleaner();
  void categoryClick(const std::string& subPath, bool monthByMonth);
  void monthPass(const std::string& account);
  void thumbnailPass();
  void deleteNextMonthFolder();
  void hideOverlayWhenIdle();
  std::string decimal() const;

  Ports ports_;
  std::array<Row, 9> rows_{};
  std::unique_ptr<Form2> form2_;
  std::unique_ptr<Form3> form3_;

  // Month-by-month pass: its fixed target and account, and how many of its folders stayed.
  std::string passTarget_, passAccount_;
  bool passPreparing_ = false;
  int passLeftBehind_ = 0;
  // Every removal handed to the engine and not yet reported; the overlay stays while any is out.
  int removalsOut_ = 0;
  // Whole-category targets being confirmed or removed: a second click must not queue them again.
  std::set<std::string> busyTargets_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace ui
