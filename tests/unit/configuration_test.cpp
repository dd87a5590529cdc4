#include "shell/configuration.h"

#include <gtest/gtest.h>

#include <map>

namespace velmora {
namespace {

class FakeConfigurationView final : public ConfigurationView {
 public:
  std::string PassCountText() override { return text; }
  void SetPassCountText(const std::string& value) override { text = value; }
  bool BoxTicked(int box) override { return ticked.at(box); }
  void SetBoxTicked(int box, bool value) override { ticked.at(box) = value; }

  std::vector<int> Ticked() const {
    std::vector<int> boxes;
    for (const auto& [box, value] : ticked) {
      if (value) boxes.push_back(box);
    }
    return boxes;
  }

  std::string text = "10";
  std::map<int, bool> ticked{{1, false}, {2, false},  {3, false},  {4, false},
                             {5, false}, {6, false},  {7, false},  {8, false},
                             {9, false}, {10, false}, {11, false}, {12, false}};
};

struct KeyCase {
  const char* name;
  std::vector<int> ticked;
  std::int32_t capture_key;
  friend void PrintTo(const KeyCase& c, std::ostream* out) { *out << c.name; }
};

class CaptureKeyFromBoxesTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(CaptureKeyFromBoxesTest, HighestTickedBoxWins) {
  std::array<bool, kKeyBoxCount> ticked{};
  for (int box : GetParam().ticked) ticked[static_cast<std::size_t>(box - 1)] = true;
  EXPECT_EQ(CaptureKeyFromBoxes(ticked), GetParam().capture_key);
}

INSTANTIATE_TEST_SUITE_P(Keys, CaptureKeyFromBoxesTest,
                         ::testing::Values(KeyCase{"NoneGivesF9", {}, 120},
                                           KeyCase{"F1", {1}, 112}, KeyCase{"F12", {12}, 123},
                                           KeyCase{"SeveralGiveTheHighest", {2, 11, 5}, 122}),
                         [](const auto& info) { return std::string(info.param.name); });

class ConfigurationTest : public ::testing::Test {
 protected:
  Module1 state;
  FakeConfigurationView view;
  Configuration dialog{state, view};
};

TEST_F(ConfigurationTest, OpensWithTheSettingsInForce) {
  state.PassCount = -5;
  state.CaptureKey = 116;  // F5
  view.text.clear();
  dialog.Load();
  EXPECT_EQ(view.text, "-5");
  EXPECT_EQ(view.Ticked(), std::vector<int>{5});
}

TEST_F(ConfigurationTest, LeavingTheBoxStoresAndShowsTheValueInForce) {
  dialog.Load();
  view.text = " 2.5 ";
  dialog.PassCountLostFocus();
  EXPECT_EQ(view.text, "2");
  EXPECT_EQ(state.PassCount, 2);
  view.text = "abc";
  dialog.PassCountLostFocus();
  EXPECT_EQ(view.text, "10");
  EXPECT_EQ(state.PassCount, 10);
}

TEST_F(ConfigurationTest, ButtonDownClearsEveryOtherBox) {
  dialog.Load();  // F9 ticked
  view.ticked.at(12) = true;
  dialog.BoxPressed(5);
  EXPECT_TRUE(view.Ticked().empty());
  view.ticked.at(5) = true;  // the click's own toggle
  dialog.BoxPressed(5);
  EXPECT_EQ(view.Ticked(), std::vector<int>{5});
}

TEST_F(ConfigurationTest, ClosingStoresBothSettings) {
  dialog.Load();
  view.text = "3";  // typed, the box still has the focus
  view.ticked.at(9) = false;
  view.ticked.at(2) = true;
  view.ticked.at(12) = true;  // ticked from the keyboard; the last box is read too
  dialog.QueryUnload();
  EXPECT_EQ(state.PassCount, 3);
  EXPECT_EQ(state.CaptureKey, 123);  // F12
}

TEST_F(ConfigurationTest, ClosingWithNoBoxTickedGivesF9) {
  state.CaptureKey = 112;
  dialog.Load();
  dialog.BoxPressed(1);
  view.ticked.at(1) = false;  // the click cleared the only ticked box
  dialog.QueryUnload();
  EXPECT_EQ(state.CaptureKey, 120);
}

}  // namespace
}  // namespace velmora
