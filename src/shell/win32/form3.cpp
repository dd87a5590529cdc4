#include "shell/win32/form3.h"

#include <string>

namespace velmora::win32 {
namespace {

constexpr FontSpec kHeadingFont{.face = L"MS Sans Serif", .points = 9.75};
constexpr FontSpec kKeyFont{.face = L"MS Sans Serif", .points = 8.25, .bold = true};
constexpr std::wstring_view kDurationTip = L"temps en seconde";

// The frame's place on the form; the controls inside it are laid out from its
// top-left corner.
constexpr TwipsRect kFrame{240, 120, 2940, 2715};

constexpr TwipsRect InFrame(TwipsRect rect) {
  return {kFrame.left + rect.left, kFrame.top + rect.top, rect.width, rect.height};
}

// The key grid: two columns of six rows, each box with its label on its left.
constexpr int kRowsPerColumn = 6;
constexpr int kFirstRowTop = 720;
constexpr int kRowStep = 225;
constexpr int kKeySize = 195;
constexpr int kLineThickness = 15;  // one pixel at 96 dpi
struct GridColumn {
  int label_left;
  int box_left;
};
constexpr std::array<GridColumn, 2> kColumns{{{630, 960}, {1530, 1935}}};

int ColumnOf(int box) { return (box - 1) / kRowsPerColumn; }
int RowTop(int box) { return kFirstRowTop + (box - 1) % kRowsPerColumn * kRowStep; }

TwipsRect KeyBoxRect(int box) {
  return InFrame({kColumns[ColumnOf(box)].box_left, RowTop(box), kKeySize, kKeySize});
}

TwipsRect KeyLabelRect(int box) {
  const int width = box >= 10 ? 330 : 225;  // "F10" to "F12" are wider
  return InFrame({kColumns[ColumnOf(box)].label_left, RowTop(box), width, kKeySize});
}

}  // namespace

Form3::Form3(FormsRuntime& runtime, Module1& state)
    // Fixed single border with a close box only; it stays above the browser
    // windows.
    : Form(runtime, {.caption = L"Configuration", .width = 3375, .height = 3015,
                     .ex_style = WS_EX_TOPMOST}),
      behaviour_(state, *this) {
  // In reading order, which is the keyboard's and a screen reader's: each
  // key's label, then its box, F1 to F12, then the duration. A box's name is
  // its own text, which it never draws, and its label shows its focus; the
  // duration box, without a text of its own, takes the name of the label
  // just before it.
  Add(lblENABLE, {.rect = InFrame({405, 270, 2145, 240}), .text = L"Définir la touche capture",
                  .font = &kHeadingFont, .sized_to_text = true});
  for (int box = 1; box <= kKeyBoxCount; ++box) {
    // Widened from the narrow form: the wide one would bring printf along.
    const std::wstring name = WideText("F" + std::to_string(box));
    Add(KeyLabel(box),
        {.rect = KeyLabelRect(box), .text = name, .font = &kKeyFont, .sized_to_text = true});
    Add(KeyBox(box), {.rect = KeyBoxRect(box), .text = name});
    KeyBox(box).OnPress([this, box] { behaviour_.BoxPressed(box); });
    KeyBox(box).ShowFocusOn(KeyLabel(box));
  }
  // From (0, 2160) to (3000, 2160), cut at the frame's right edge.
  Add(Line1, {.rect = InFrame({0, 2160, kFrame.width, kLineThickness})});
  // SS_NOTIFY lets the label see the mouse, so that its tip shows. It
  // reaches the duration box (1680 twips, not the 1575 first drawn): in the
  // faces that stand in for a missing MS Sans Serif the text needs more even
  // at the smallest size.
  Add(Label1, {.rect = InFrame({600, 2280, 1680, 255}), .text = L"Durée du traitement  :",
               .font = &kLayoutFont, .style = SS_NOTIFY});
  Add(Text1, {.rect = {2520, 2400, 495, 285}, .text = L"10"});
  // Last, so that it lies behind everything it surrounds.
  Add(fraMAIN, {.rect = kFrame});
  Text1.OnLostFocus([this] { behaviour_.PassCountLostFocus(); });
}

void Form3::OnLoad() {
  tool_tips_.Create(hwnd());
  tool_tips_.Add(Label1, kDurationTip);
  tool_tips_.Add(Text1, kDurationTip);
  behaviour_.Load();
}

std::string Form3::PassCountText() { return Utf8Text(Text1.Text()); }

void Form3::SetPassCountText(const std::string& text) { Text1.SetText(WideText(text)); }

}  // namespace velmora::win32
