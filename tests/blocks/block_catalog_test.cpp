// The declarations as a whole: every row points at a value of the right kind,
// the window gets each control and button once, and the start-up fill shows
// the staged (profile) values.
#include "blocks/block_catalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "blocks/block_values.h"
#include "operator/controls.h"
#include "storage/profile.h"

namespace qmx {
namespace {

const Field* FieldAt(const Block& block, uint16_t reg) {
  for (const Field& f : block.fields) {
    if (reg >= f.reg && reg < f.reg + f.count) return &f;
  }
  return nullptr;
}

bool HoldsWords(const Field& f) {
  return std::holds_alternative<WordRef>(f.slot) || std::holds_alternative<WordsRef>(f.slot) ||
         std::holds_alternative<LongRef>(f.slot);
}

TEST(BlockCatalogTest, EveryRowMeetsAFieldOfItsKind) {
  for (const Block* block : AllBlocks()) {
    SCOPED_TRACE(std::string(block->name));
    for (size_t i = 0; i < block->fields.size(); ++i) {
      const Field& f = block->fields[i];
      if (std::holds_alternative<std::monostate>(f.slot)) {
        EXPECT_TRUE(f.sent_as.has_value()) << f.reg << " sends nothing";
      }
      for (size_t j = i + 1; j < block->fields.size(); ++j) {
        const Field& g = block->fields[j];
        EXPECT_TRUE(f.reg + f.count <= g.reg || g.reg + g.count <= f.reg)
            << f.reg << " overlaps " << g.reg;
      }
    }
    for (const ControlRow& row : block->rows) {
      SCOPED_TRACE(std::string(row.control));
      const Field* f = FieldAt(*block, row.reg);
      ASSERT_NE(f, nullptr);
      const bool as_float = row.take == Take::kFloat ||
                            (row.show == Show::kText && (row.form == TextForm::kFloatStandard ||
                                                         row.form == TextForm::kFloatShort));
      const bool as_word = row.show == Show::kItemIndex || row.show == Show::kChecked ||
                           (row.show == Show::kText && row.form == TextForm::kDecimal) ||
                           (row.take != Take::kNone && row.take != Take::kFloat);
      if (as_float) {
        // A float inside a word run is read, never taken.
        EXPECT_TRUE(std::holds_alternative<FloatRef>(f->slot) ||
                    (std::holds_alternative<WordsRef>(f->slot) && row.take == Take::kNone &&
                     row.reg + 2 <= f->reg + f->count));
      }
      if (as_word) {
        EXPECT_TRUE(HoldsWords(*f));
      }
      if (row.form == TextForm::kDouble) {
        EXPECT_TRUE(std::holds_alternative<DoubleRef>(f->slot));
      }
      EXPECT_EQ(row.items != nullptr, row.show == Show::kItemIndex || row.take == Take::kItemIndex);
      if (row.take == Take::kFloat || row.take == Take::kIntegerLow16 ||
          row.take == Take::kIntegerSaturated) {
        EXPECT_FALSE(row.failure.empty());
      }
    }
  }
}

TEST(BlockCatalogTest, ButtonsAreTheHandlersOfTheBlockUnits) {
  std::vector<std::string> names;
  for (const ButtonHandler& b : BlockButtons()) {
    names.emplace_back(b.button);
    EXPECT_NE(b.run, nullptr);
  }
  std::vector<std::string> expected = {
      "Button10", "Button11", "Button66", "Button67", "BitBtn6",  "BitBtn7",  "Button12",
      "BitBtn8",  "Button13", "BitBtn9",  "Button14", "BitBtn10", "Button15", "BitBtn11",
      "Button79", "Button80", "Button81", "Button82", "Button16", "BitBtn12", "Button49",
      "BitBtn13", "Button92", "Button50", "Button78", "BitBtn30", "Button9",  "BitBtn27",
      "Button85", "Button32", "Button33", "Button25", "BitBtn14", "Button26", "Button27",
      "Button28", "Button29", "BitBtn24", "Button30", "Button31", "Button24", "Button45",
      "Button46", "Button68", "Button69", "Button73", "BitBtn22", "Button74", "BitBtn23",
      "Button75", "Button76", "Button63", "BitBtn20", "Button64", "BitBtn21", "Button61",
      "BitBtn18", "Button62", "BitBtn19", "Button51", "BitBtn15", "Button52", "BitBtn17",
      "BitBtn31", "Button53", "BitBtn28", "Button54", "BitBtn29", "Button47", "Button48",
      "Button43", "Button44", "Button88", "Button89", "Button90", "Button91"};
  // The measuring module's page and tab.
  expected.insert(expected.end(), {"Button65", "Button84", "Button86", "Button87"});
  // The external sensor's pages.
  expected.insert(expected.end(),
                  {"Button55", "Button56", "Button57", "Button58", "Button59", "Button60"});
  std::sort(names.begin(), names.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

TEST(BlockCatalogTest, ControlListForTheWindow) {
  const std::vector<ControlInfo> list = BlockControlList();
  std::set<std::string> seen;
  for (const ControlInfo& s : list) EXPECT_TRUE(seen.insert(std::string(s.name)).second) << s.name;
  const auto find = [&](std::string_view name) -> const ControlInfo* {
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const ControlInfo& s) { return s.name == name; });
    return it == list.end() ? nullptr : &*it;
  };
  // One of each kind, and the lists laid out but driven by no block.
  const struct {
    const char* name;
    ControlKind kind;
    size_t items;
  } expected[] = {
      {"ComboBox5", ControlKind::kComboBox, 101}, {"CheckBox6", ControlKind::kCheckBox, 0},
      {"Edit114", ControlKind::kEdit, 0},         {"Label271", ControlKind::kLabel, 0},
      {"Label381", ControlKind::kLabel, 0},       {"ComboBox4", ControlKind::kComboBox, 4},
      {"ComboBox7", ControlKind::kComboBox, 2},   {"ComboBox35", ControlKind::kComboBox, 4},
      {"Edit99", ControlKind::kEdit, 0},          {"Edit90", ControlKind::kEdit, 0},
      {"ComboBox20", ControlKind::kComboBox, 0},  {"ComboBox45", ControlKind::kComboBox, 248},
      {"ComboBox19", ControlKind::kComboBox, 83}, {"CheckBox19", ControlKind::kCheckBox, 0},
      {"Edit100", ControlKind::kEdit, 0},         {"ComboBox24", ControlKind::kComboBox, 0},
  };
  for (const auto& e : expected) {
    const ControlInfo* s = find(e.name);
    ASSERT_NE(s, nullptr) << e.name;
    EXPECT_EQ(s->kind, e.kind) << e.name;
    EXPECT_EQ(s->items != nullptr ? s->items->size() : 0u, e.items) << e.name;
  }
  const auto& averaging = *find("ComboBox5")->items;
  EXPECT_EQ(averaging.front(), "  0");
  EXPECT_EQ(averaging[7], "  7");
  EXPECT_EQ(averaging.back(), "100");
  EXPECT_EQ(find("ComboBox42")->items->at(1), "импульсный");
  EXPECT_EQ(find("ComboBox6")->items->at(1), "направление");
}

TEST(BlockCatalogTest, StartupFillShowsTheProfileValues) {
  ProfileValues profile;  // the profile's defaults
  profile.measurement.izm_flow_v_unit = 2;
  profile.measurement.izm_flow_v_ns = 42;
  LinkSettings link;
  BlockValues values(profile, link);
  values.forced_frequency = 1500;
  MapControls controls;
  AddBlockControls(controls);
  controls.SetText("Label271", "design");
  controls.SetText("Label381", "design");
  FillBlockControls(controls, values);

  EXPECT_EQ(controls.Text("ComboBox41"), "м куб/час");
  EXPECT_EQ(controls.Text("ComboBox5"), " 42");
  EXPECT_FALSE(controls.Checked("CheckBox6"));
  EXPECT_EQ(controls.Text("Edit114"), "0.00 ");
  // Output type 1: "направление" on the tab, nothing the page offers.
  EXPECT_EQ(controls.Text("ComboBox6"), "направление");
  EXPECT_EQ(controls.ItemIndex("ComboBox42"), -1);
  EXPECT_EQ(controls.Text("Edit107"), "10.0000    ");
  EXPECT_EQ(controls.Text("Edit110"), "0.0000     ");
  EXPECT_EQ(controls.Text("Edit108"), "11000");
  EXPECT_EQ(controls.Text("Edit109"), "1.0000     ");
  EXPECT_EQ(controls.Text("Edit111"), "100");
  EXPECT_EQ(controls.Text("Edit112"), "100");
  EXPECT_EQ(controls.Text("Edit102"), "1500");
  // What only the instrument can tell waits for its first read.
  EXPECT_EQ(controls.Text("Label271"), "design");
  EXPECT_EQ(controls.Text("Label381"), "design");
}

}  // namespace
}  // namespace qmx
