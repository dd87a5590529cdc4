#include "shell/win32/form4.h"

namespace velmora::win32 {
namespace {

constexpr FontSpec kTitleFont{.face = L"MS Sans Serif", .points = 13.5, .underline = true};
constexpr COLORREF kRed = RGB(255, 0, 0);

}  // namespace

Form4::Form4(FormsRuntime& runtime)
    : Form(runtime,
           {.caption = L"Velmora (V 1.0) - Torvane (18/03/2001)", .width = 6015, .height = 5490}) {
  Add(Label1, {.rect = {2040, 0, 1815, 375}, .text = L"VELMORA", .font = &kTitleFont});
  Label1.SetTextColor(kRed);
}

}  // namespace velmora::win32
