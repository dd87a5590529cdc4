// First, so that <windows.h> cannot rename the seam's PostMessage.
#include "platform/win32/handles.h"

#include "keeplist/win32/form2.h"

namespace velmora::win32 {
namespace {

constexpr std::wstring_view kPromptFirstLine =
    L"Positionnez la souris sur le titre de la fenêtre de navigation à";
// The second line as the load sets it, with the widest key number.
constexpr std::wstring_view kPromptLongestSecondLine = L"conserver et appuyez sur la touche F12";

}  // namespace

Form2::Form2(FormsRuntime& runtime, Module1& state, WindowSystem& desktop)
    // Sizable, with minimise and maximise boxes; the caption is set at load.
    // Top-most from the start as well: Wine ignores the load's request while
    // the window is still hidden.
    : Form(runtime, {.caption = L"A conserver...", .width = 4860, .height = 3705,
                     .style = WS_OVERLAPPEDWINDOW, .ex_style = WS_EX_TOPMOST}),
      behaviour_(state, desktop, *this) {
  // Declared in reading order, which is the keyboard's and a screen
  // reader's. One sentence over two lines: each line's font fits the other
  // line too. The list, without a text of its own, takes the name of the
  // label just before it: a hidden one that holds the whole sentence, which
  // neither line says alone.
  Add(Label1, {.rect = {120, 120, 4575, 375}, .text = kPromptFirstLine, .font = &kLayoutFont,
               .fits_also = kPromptLongestSecondLine});
  Add(Label2, {.rect = {120, 360, 4575, 375}, .text = L"conserver et appuyez sur la touche",
               .font = &kLayoutFont, .fits_also = kPromptFirstLine});
  Add(list_name_, {});
  Add(List1, {.rect = {360, 1080, 4095, 1815}});
  Add(Command1, {.rect = {480, 3000, 1575, 375}, .text = L"Rafraîchir la liste"});
  Add(Command2, {.rect = {2760, 3000, 1575, 375}, .text = L"Effacer la liste"});
  // After the list and the buttons, so that it lies behind them.
  Add(Frame1, {.rect = {120, 840, 4575, 2775}});
  Command1.OnClick([this] { behaviour_.RefreshClick(); });
  Command2.OnClick([this] { behaviour_.ClearClick(); });
}

void Form2::OnLoad() {
  Timer1.Attach(hwnd());
  tool_tips_.Create(hwnd());
  tool_tips_.Add(List1, L"Positionner la souris sur le titre de la f");
  behaviour_.Load();
}

LRESULT Form2::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == Timer1.id()) {
    behaviour_.Tick();
    return 0;
  }
  return Form::HandleMessage(message, wparam, lparam);
}

void Form2::SetCaption(const std::string& caption) {
  ::SetWindowTextW(hwnd(), WideText(caption).c_str());
}

void Form2::SetPrompt(const std::string& prompt) {
  const std::wstring second_line = WideText(prompt);
  Label2.SetCaption(second_line);
  list_name_.SetCaption(std::wstring(kPromptFirstLine) + L" " + second_line);
}

WindowHandle Form2::Handle() { return ToWindowHandle(hwnd()); }

}  // namespace velmora::win32
