// "删除" of the item menu on a list of its own: the later tasks move up with their texts and
// marks, the last row goes, and the list is saved once.
#include "editing/item_menu.h"

#include <gtest/gtest.h>

#include <vector>

#include "editing/new_task_dialog.h"

namespace tavik {
namespace {

class ListOf : public TaskList {
 public:
  explicit ListOf(std::vector<Task> initial) : tasks(std::move(initial)) {}
  HWND Owner() const override { return nullptr; }
  int HighestIndex() const override { return static_cast<int>(tasks.size()); }
  int TaskCount() const override { return HighestIndex(); }
  Task RowTask(int index) const override {
    return index >= 1 && index <= HighestIndex() ? tasks[static_cast<size_t>(index - 1)] : Task{};
  }
  RECT RowScreenRect(int) const override { return {}; }
  void AddItem(const std::u16string& time, const std::u16string& cycle, const std::u16string& tips) override {
    tasks.push_back({time, cycle, tips});
  }
  void EditItem(short id, const std::u16string& time, const std::u16string& cycle,
                const std::u16string& tips) override {
    if (id >= 1 && id <= HighestIndex()) tasks[static_cast<size_t>(id - 1)] = {time, cycle, tips};
  }
  void RemoveLastRow() override {
    if (!tasks.empty()) tasks.pop_back();
  }
  bool SaveData() override {
    ++saves;
    return true;
  }

  std::vector<Task> tasks;
  int saves = 0;
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
    int row;
    bool done;
    std::vector<Task> after;
  } cases[] = {
      {"last of three", {a, b, c}, 3, true, {a, b}},
      {"first of three", {a, b, c}, 1, true, {b, c}},
      {"middle of three", {a, b, c}, 2, true, {a, c}},
      {"only task", {a}, 1, true, {}},
      {"done task", {a, bDone, c}, 2, true, {a, c}},
      {"above a done task", {a, bDone, c}, 1, true, {bDone, c}},
      {"second of five", {a, b, c, d, e}, 2, true, {a, c, d, e}},
      {"template row", {a, b, c}, 0, false, {a, b, c}},
      {"past the end", {a, b, c}, 4, false, {a, b, c}},
      {"negative", {a, b, c}, -1, false, {a, b, c}},
      {"empty list", {}, 1, false, {}},
  };
  for (const auto& cs : cases) {
    ListOf list(cs.before);
    NewTaskDialog dialog(list);
    ItemMenu menu(list, dialog);
    menu.actID = static_cast<short>(cs.row);
    menu.DeleteClick();
    EXPECT_EQ(list.tasks, cs.after) << cs.name;
    EXPECT_EQ(list.saves, cs.done ? 1 : 0) << cs.name;
  }
}

}  // namespace
}  // namespace tavik
