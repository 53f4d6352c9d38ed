// "删除" of the item menu on a list of its own: the later tasks move up with their texts and
// marks, the rows show it, and the list is saved once.
#include "editing/item_menu.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "editing/new_task_dialog.h"

namespace tavik {
namespace {

// The list with an owner that keeps a copy of what the rows would show, and counts the saves.
class Rows : public TaskList::Owner {
 public:
  explicit Rows(TaskList& items) : items_(items) { items.SetOwner(this); }
  ~Rows() { items_.SetOwner(nullptr); }
  void TaskAdded(std::size_t) override { shown.push_back(items_[shown.size()]); }
  void TaskChanged(std::size_t at) override { shown[at] = items_[at]; }
  void TaskRemoved(std::size_t at) override {
    for (std::size_t i = at; i < items_.size(); ++i) shown[i] = items_[i];
    shown.pop_back();
  }
  bool SaveData() override {
    ++saves;
    return true;
  }
  std::vector<Task> shown;
  int saves = 0;

 private:
  TaskList& items_;
};

TEST(ItemMenuDelete, LaterTasksMoveUpWithTheirMarks) {
  const Task a{u"07:00", u"不循环", u"a"};
  const Task b{u"08:00", u"周12", u"b"};
  const Task bDone{u"08:00 (已完成)", u"周12", u"b"};
  const Task c{u"09:00", u"周7", u"c"};
  const Task d{u"10:00", u"不循环", u"d"};
  const Task e{u"11:00", u"不循环", u"e"};
  const struct {
    const char* name;
    std::vector<Task> before;
    std::optional<std::size_t> at;
    bool done;
    std::vector<Task> after;
  } cases[] = {
      {"last of three", {a, b, c}, 2, true, {a, b}},
      {"first of three", {a, b, c}, 0, true, {b, c}},
      {"middle of three", {a, b, c}, 1, true, {a, c}},
      {"only task", {a}, 0, true, {}},
      {"done task", {a, bDone, c}, 1, true, {a, c}},
      {"above a done task", {a, bDone, c}, 0, true, {bDone, c}},
      {"second of five", {a, b, c, d, e}, 1, true, {a, c, d, e}},
      {"no menu opened yet", {a, b, c}, std::nullopt, false, {a, b, c}},
      {"past the end", {a, b, c}, 3, false, {a, b, c}},
      {"empty list", {}, 0, false, {}},
  };
  for (const auto& cs : cases) {
    TaskList items;
    Rows rows(items);
    for (const Task& t : cs.before) items.AddItem(t.time, t.cycle, t.info);
    NewTaskDialog dialog(items);
    ItemMenu menu(items, dialog, [] { return HWND{}; });
    menu.actID = cs.at;
    menu.DeleteClick();
    EXPECT_EQ(std::vector<Task>(items.begin(), items.end()), cs.after) << cs.name;
    EXPECT_EQ(rows.shown, cs.after) << cs.name;
    EXPECT_EQ(rows.saves, cs.done ? 1 : 0) << cs.name;
  }
}

}  // namespace
}  // namespace tavik
