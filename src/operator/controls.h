// The controls of the window as the register blocks see them: read and set a
// control's text, item index, check state, colour and visibility by the
// control's name (grid cells included, see GridCellName).  The window looks the widget up by its
// object name; tests and command-line tools use MapControls, so blocks run without widgets.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qmx {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Colours with a fixed meaning on the instrument's pages.
inline constexpr Rgb kColorWhite{0xFF, 0xFF, 0xFF};
inline constexpr Rgb kColorYellow{0xFF, 0xFF, 0x00};
inline constexpr Rgb kColorLightGreen{0xC0, 0xDC, 0xC0};  // flow cut-off
inline constexpr Rgb kColorGreen{0x00, 0xFF, 0x00};       // active key or output
inline constexpr Rgb kColorButtonFace{0xF0, 0xF0, 0xF0};  // value not measured
inline constexpr Rgb kColorChanged{0x00, 0xFF, 0xFF};     // edited, not yet written

// A cell of a string grid is a control of its own, named after the grid,
// its column and its row: "StringGrid1[1,3]" (the grid's fixed row and
// column count as row 0 and column 0).  Text and SetText give the cell's
// text, Color and SetColor its background; MapControls keeps cells like any
// other control, the window finds the grid by its name and the cell in it.
inline std::string GridCellName(std::string_view grid, int column, int row) {
  return std::string(grid) + "[" + std::to_string(column) + "," + std::to_string(row) + "]";
}

struct GridCell {
  std::string_view grid;
  int column = 0;
  int row = 0;
};

// The grid, column and row of a cell name; nothing for other names.
inline std::optional<GridCell> ParseGridCellName(std::string_view name) {
  const size_t open = name.find('[');
  if (open == 0 || open == std::string_view::npos || name.back() != ']') return std::nullopt;
  const std::string_view inside = name.substr(open + 1, name.size() - open - 2);
  const size_t comma = inside.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto number = [](std::string_view digits) -> std::optional<int> {
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + (c - '0');
    }
    return value;
  };
  const std::optional<int> column = number(inside.substr(0, comma));
  const std::optional<int> row = number(inside.substr(comma + 1));
  if (!column || !row) return std::nullopt;
  return GridCell{name.substr(0, open), *column, *row};
}

class Controls {
 public:
  virtual ~Controls() = default;

  // Edit, label, panel, combo box (its edit text) or button caption.
  virtual std::string Text(std::string_view name) const = 0;
  virtual void SetText(std::string_view name, std::string_view text) = 0;
  // Combo and list boxes: -1 = no selection.  Setting an index outside the
  // list clears the selection.
  virtual int ItemIndex(std::string_view name) const = 0;
  virtual void SetItemIndex(std::string_view name, int index) = 0;
  virtual int ItemCount(std::string_view name) const = 0;
  virtual bool Checked(std::string_view name) const = 0;
  virtual void SetChecked(std::string_view name, bool checked) = 0;
  virtual Rgb Color(std::string_view name) const = 0;
  virtual void SetColor(std::string_view name, Rgb color) = 0;
  virtual bool Visible(std::string_view name) const = 0;
  virtual void SetVisible(std::string_view name, bool visible) = 0;
  virtual void SetEnabled(std::string_view name, bool enabled) = 0;
  // Lets the window repaint now (a busy panel must be on screen before a
  // long exchange starts).
  virtual void Repaint() {}
};

// Controls kept in a map: for tests and for running blocks without a window.
// A combo box gets its items with SetItems; its text follows the selection.
class MapControls : public Controls {
 public:
  struct Control {
    std::string text;
    int item_index = -1;
    int item_count = 0;
    std::vector<std::string> items;
    bool checked = false;
    Rgb color = kColorWhite;
    bool visible = true;
    bool enabled = true;
  };

  void SetItems(std::string_view name, std::vector<std::string> items) {
    Control& c = controls_[std::string(name)];
    c.items = std::move(items);
    c.item_count = static_cast<int>(c.items.size());
  }
  const Control* Find(std::string_view name) const {
    auto it = controls_.find(std::string(name));
    return it == controls_.end() ? nullptr : &it->second;
  }

  std::string Text(std::string_view name) const override {
    const Control* c = Find(name);
    return c ? c->text : std::string();
  }
  void SetText(std::string_view name, std::string_view text) override {
    controls_[std::string(name)].text = std::string(text);
  }
  int ItemIndex(std::string_view name) const override {
    const Control* c = Find(name);
    return c ? c->item_index : -1;
  }
  void SetItemIndex(std::string_view name, int index) override {
    Control& c = controls_[std::string(name)];
    c.item_index = index >= 0 && index < c.item_count ? index : -1;
    c.text = c.item_index >= 0 && c.item_index < static_cast<int>(c.items.size())
                 ? c.items[static_cast<size_t>(c.item_index)]
                 : std::string();
  }
  int ItemCount(std::string_view name) const override {
    const Control* c = Find(name);
    return c ? c->item_count : 0;
  }
  bool Checked(std::string_view name) const override {
    const Control* c = Find(name);
    return c && c->checked;
  }
  void SetChecked(std::string_view name, bool checked) override {
    controls_[std::string(name)].checked = checked;
  }
  Rgb Color(std::string_view name) const override {
    const Control* c = Find(name);
    return c ? c->color : kColorWhite;
  }
  void SetColor(std::string_view name, Rgb color) override {
    controls_[std::string(name)].color = color;
  }
  bool Visible(std::string_view name) const override {
    const Control* c = Find(name);
    return c == nullptr || c->visible;
  }
  void SetVisible(std::string_view name, bool visible) override {
    controls_[std::string(name)].visible = visible;
  }
  void SetEnabled(std::string_view name, bool enabled) override {
    controls_[std::string(name)].enabled = enabled;
  }

 private:
  std::map<std::string, Control, std::less<>> controls_;
};

}  // namespace qmx
