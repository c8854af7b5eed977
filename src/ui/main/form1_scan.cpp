// Measuring one folder, and the staged scan that fills the grid one row per timer tick.
#include "space/size_text.h"
#include "ui/main/form1.h"
#include "wechat/discovery.h"

namespace ui {

namespace {
constexpr const char* kCalculating = "正在计算空间占用情况，请稍等...";
}

void Form1::labelqinkong() {
  for (int k = 1; k <= 8; ++k) row(k).size->setText("");
  for (int k = 1; k <= 8; ++k) row(k).count->setText("");
}

void Form1::tongji() {
  std::uint64_t count = 0;
  bool thumb = false;
  for (const auto& e : ports_.fs.list(s9)) {
    if (!(e.attributes & platform::kAttrDirectory)) continue;
    ++count;
    thumb = thumb || wechat::equalNoCase(e.name, "Thumb");
  }
  // The thumbnails live inside the image folder but are not a month of their own; only a Thumb
  // that is really there is taken off.
  if (s9 == lujin + n6 && thumb) --count;
  Textwjjshu = std::to_string(count);
}

void Form1::jisuan() {
  if (!ports_.fs.exists(s9)) {
    yyy2 = "0 K";
    Textwjjshu = "0";
    return;
  }
  tongji();
  platform::FolderSize size = ports_.fs.measure(s9);
  ttt2 = std::to_string(size.bytes);
  space::Band band = space::bandOf(size.bytes);
  yyy2 = space::sizeText(size.bytes, decimal());
  if (auto colour = space::categoryColour(band)) yanse = *colour;
}

void Form1::startScan() {
  s9.clear();
  labelqinkong();
  Textwjjshu = "0";
  ti1.setEnabled(true);
  Labeltip.setText(kCalculating);
}

void Form1::scanStage(int k) {
  const Row& r = row(k);
  s9 = lujin + *r.subPath;
  jisuan();
  r.size->setText("×" + yyy2);
  r.size->setForeColor(yanse);
  r.count->setText(Textwjjshu + "个");
  if (k < 8)
    row(k + 1).stage->setEnabled(true);
  else
    Labeltip.setText("计算结束");
  r.stage->setEnabled(false);
}

void Form1::clearStaleTip() {
  if (Labeltip.text() == kCalculating)
    Timer3.setEnabled(false);
  else
    Labeltip.setText("");
}

}  // namespace ui
