// The main window: the data folder and account row, the grid of cleaning categories generated
// from the category table, and every decision behind them, written against the control model and
// the ports so that tests drive it without Windows. Each control keeps the automation name the
// end-to-end tests and tools know it by (docs/ARCHITECTURE.md lists them); code reaches controls
// through the typed parts below.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "clean/plan.h"
#include "clean/plan_runner.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/ui_thread.h"
#include "space/measurer.h"
#include "space/size_text.h"
#include "ui/model/controls.h"
#include "ui/model/window_link.h"
#include "wechat/categories.h"
#include "wechat/data_folders.h"

namespace ui {

inline constexpr int kWidth = 5400, kHeight = 8000, kHeightWithBanner = 9100;

struct MainPorts {
  platform::FileSystem& fs;
  platform::Registry& registry;
  platform::Shell& shell;
  platform::UiThread& uiThread;
  clean::PlanRunner& runner;
  space::Measurer& measurer;
  platform::Environment& env;
};

class MainWindow : public Form, public MainWindowLink {
 public:
  explicit MainWindow(const MainPorts& ports);
  ~MainWindow() override;

  // The start-up sequence; the caller shows the window afterwards.
  void load();

  const std::string& accountPath() const override { return account_; }
  void hideMain() override { hide(); }
  void showMain() override { show(); }
  platform::WindowHandle mainHandle() const override { return windowHandle(); }
  void deletionEnded(const std::string& account, const std::string& said,
                     const wechat::Category* row) override;

  // Set by whoever builds the windows: the received-files row opens its dialog on the row's
  // folders, the old-version banner opens the old-version cleaner with the plan its click
  // confirmed.
  std::function<void(const wechat::Category& row)> openReceivedFiles;
  std::function<void(clean::ConfirmedPlan plan)> openLegacyCleaner;

  // The top of the window: warnings, the data folder row and the status line.
  Label quitWarning, freezeWarning;
  Button aboutButton;
  Label dataFolderCaption;
  TextBox dataFolderBox;  // the folder that holds WeChat's data folder
  Button pickFolderButton;
  Line headerRule;
  Label status;

  // Step 1: the account list and the chosen account's size and path.
  struct AccountPanel {
    AccountPanel(Form& form);
    Frame frame;
    ComboBox accounts;  // drop-down with an edit part: a name may be typed too
    Label sizeCaption, size;
    Button openFolderButton;
    Label path;
  } accountPanel;
  Button accountIdHelpButton;

  // Step 2: one row per category of the account's table (every table has the same rows).
  struct CategoryRow {
    CategoryRow(Form& form, Control& grid, int number);
    Button button;
    Label count, size;
  };
  struct Grid {
    explicit Grid(Form& form);
    Frame frame;
    Button scanButton;
    Label nameHeading, countHeading, sizeHeading;
    std::vector<std::unique_ptr<CategoryRow>> rows;  // in the table's order
    std::vector<std::unique_ptr<Label>> riskMarks;
    CheckBox keepNewest;  // ticked: month-by-month rows keep the newest months
    TextBox monthsToKeep;
    std::vector<std::unique_ptr<Line>> rules;
  } grid;

  // Covers the grid while anything is being deleted.
  struct BusyOverlay {
    BusyOverlay(Form& form);
    Frame frame;
    Label pleaseWait, notFrozen, goesAway;
    ProgressBar bar;  // bytes of the row given back, or month folders done
    Label soFar;      // files removed and space given back so far
  } busyOverlay;

  // Shown for an account that still holds the folders of WeChat 2019 and earlier.
  struct LegacyBanner {
    LegacyBanner(Form& form);
    Frame frame;
    Label text;
    Button cleanButton;
  } legacyBanner;

  TextBox focusSink;  // off screen: holds the focus so that no visible control shows it

  Timer discoveryTimer, validationTimer, tipClearer;
  std::vector<std::unique_ptr<Timer>> scanStages;  // one per row, in the table's order

  // What row `row` of the chosen account held when last measured; nothing before it was.
  std::optional<std::uint64_t> rowBytes(std::size_t row) const { return rowBytes_[row]; }
  // The category table of the chosen account's WeChat.
  const wechat::CategoryTable& table() const { return *table_; }

 private:
  // A deletion started from the grid, from its click to its end: the plan it runs (and then its
  // companion's), and what all of it removed.
  struct GridDeletion {
    std::string account;
    std::size_t row = 0;
    std::string busyKey;
    std::shared_ptr<const clean::Plan> plan;  // the one running or last run
    clean::RunOutcome sum;
  };
  void showProgress(const GridDeletion& d, const clean::RunProgress& p);

  void layout();  // one function per area
  void layoutHeader();
  void layoutAccountPanel();
  void layoutGrid();
  void layoutBusyOverlay();
  void layoutLegacyBanner();
  void setTabOrder();
  void wireEvents();
  void tell(const std::string& text);  // a notice over this window
  void showAbout();
  void showAccountIdHelp();
  void pickFolder();
  void openAccountFolder();

  void discoverAccounts();
  void showDiscovery(const std::string& dataFolder, const std::vector<wechat::Account>& found,
                     bool there);
  void listAccounts(const std::vector<wechat::Account>& accounts);
  void chooseAccount();
  void useAccount(const wechat::Account& account);
  void applyTable(const wechat::CategoryTable& table);
  void commitTypedAccount();
  void forgetAccount();
  void forgetFigures();
  void validateAccount();
  void showAccountSize(const platform::FolderSize& size);

  void startScan();
  void clearCategoryFigures();
  void measureCategory(std::size_t row);
  // Measures the row (on the measurer's thread) and shows it; then runs `then`.
  void remeasureRow(std::size_t row, std::function<void()> then);
  void showCategoryFigures(std::size_t row, const space::FolderFigures& figures);
  void clearStaleTip();

  void categoryClicked(std::size_t row);
  void deleteWholeCategory(std::size_t row, const wechat::Category& cat,
                           const std::string& account);
  void prepareMonthDeletion(std::size_t row, const wechat::Category& cat,
                            const std::string& account, std::optional<unsigned> keep,
                            std::shared_ptr<GridDeletion> chain);
  void startDeletion(std::shared_ptr<GridDeletion> d, clean::ConfirmedPlan plan);
  void runEnded(const std::shared_ptr<GridDeletion>& d, const clean::RunOutcome& outcome);
  void finishDeletion(const std::shared_ptr<GridDeletion>& d);
  void cleanLegacy();
  void remeasureAfterDeletion(const std::string& account, const wechat::Category* row);
  bool claim(const std::string& key);
  void setBusy(int change);
  void hideOverlayWhenIdle();

  MainPorts ports_;
  const wechat::CategoryTable* table_ = &wechat::kClassic;

  std::vector<wechat::Account> accounts_;  // what the account list offers, in its order
  bool startup_ = true;       // the first discovery also looks where WeChat's settings say
  unsigned discoveries_ = 0;  // the latest discovery: only its results are shown
  std::string dataFolder_;    // the data folder as a full path, no trailing backslash
  std::string account_;       // the account every deletion works in
  std::string shownAccount_;  // the account whose path and size the window shows
  Color lastSizeColour_;      // a plain-band size takes the colour of the last coloured one
  // What each row of the chosen account held when last measured; nothing before it was.
  std::vector<std::optional<std::uint64_t>> rowBytes_;

  std::string bannerAccount_;  // the account the old-version banner was shown for
  int preparing_ = 0;          // month lists being prepared or asked about
  int deletions_ = 0;          // grid deletions from click to end: the overlay stays meanwhile
  // Folders being confirmed or removed: a second click on one is refused.
  std::set<std::string> busyFolders_;
  platform::Lifetime life_;  // last: callbacks stop reaching the window first
};

}  // namespace ui
