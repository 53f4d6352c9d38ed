#include "core/task_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tavik {
namespace {

Task T(const std::u16string& info, const std::u16string& time = u"08:30") { return {time, u"不循环", info}; }

std::vector<std::u16string> Infos(const std::vector<Task>& tasks) {
  std::vector<std::u16string> infos;
  for (const Task& t : tasks) infos.push_back(t.info);
  return infos;
}

std::vector<Task> Shown(const TaskList& items) { return {items.begin(), items.end()}; }

// Records what the owner is told, and what the list holds at that moment: an owner that
// shows the change must find it already made.
class Recorder : public TaskList::Owner {
 public:
  explicit Recorder(TaskList& items) : items_(items) { items.SetOwner(this); }
  ~Recorder() { items_.SetOwner(nullptr); }

  void TaskAdded(std::size_t at) override { Note("added", at); }
  void TaskChanged(std::size_t at) override { Note("changed", at); }
  void TaskRemoved(std::size_t at) override { Note("removed", at); }
  bool SaveData() override {
    ++saves;
    savedFile = items_.All();
    return saveWorks;
  }

  struct Told {
    std::string what;
    std::size_t at;
    std::vector<std::u16string> list;
    bool operator==(const Told& o) const { return what == o.what && at == o.at && list == o.list; }
  };
  std::vector<Told> told;
  int saves = 0;
  bool saveWorks = true;
  std::vector<Task> savedFile;
  std::function<void(std::size_t)> duringAdd;  // what other events do while a row slides in

 private:
  void Note(const char* what, std::size_t at) {
    told.push_back({what, at, Infos(Shown(items_))});
    if (what == std::string("added") && duringAdd) {
      const auto once = std::move(duringAdd);  // the next add is left alone
      duringAdd = nullptr;
      once(at);
    }
  }
  TaskList& items_;
};

TEST(TaskList, EachChangeIsMadeBeforeTheOwnerIsTold) {
  TaskList items;
  Recorder owner(items);
  using Told = Recorder::Told;
  struct Step {
    const char* name;
    std::function<bool()> change;
    bool done;
    std::vector<Told> told;  // what this step tells the owner
  };
  const Step steps[] = {
      {"add a", [&] { return items.AddItem(u"08:30", u"不循环", u"a"); }, true, {{"added", 0, {u"a"}}}},
      {"add b", [&] { return items.AddItem(u"09:00", u"周1", u"b"); }, true, {{"added", 1, {u"a", u"b"}}}},
      {"add c", [&] { return items.AddItem(u"10:00", u"周2", u"c"); }, true, {{"added", 2, {u"a", u"b", u"c"}}}},
      {"edit the second", [&] { return items.EditItem(1, u"09:05", u"周15", u"B"); }, true,
       {{"changed", 1, {u"a", u"B", u"c"}}}},
      {"edit past the end", [&] { return items.EditItem(3, u"09:05", u"周15", u"x"); }, false, {}},
      {"remove the first: the later ones move up", [&] { return items.RemoveItem(0); }, true,
       {{"removed", 0, {u"B", u"c"}}}},
      {"remove past the end", [&] { return items.RemoveItem(2); }, false, {}},
      {"remove the last", [&] { return items.RemoveItem(1); }, true, {{"removed", 1, {u"B"}}}},
  };
  for (const Step& step : steps) {
    owner.told.clear();
    EXPECT_EQ(step.change(), step.done) << step.name;
    EXPECT_EQ(owner.told, step.told) << step.name;
  }
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0], (Task{u"09:05", u"周15", u"B"}));
  EXPECT_EQ(owner.saves, 0);  // nothing here saves on its own
}

TEST(TaskList, FivePlacesCountingTheTasksStillWaiting) {
  TaskList items;
  Recorder owner(items);
  EXPECT_FALSE(items.Restore({T(u"1"), T(u"2"), T(u"3")}, std::nullopt, ClockTime{2026, 12, 9, 3, 8, 0, 0}));
  EXPECT_EQ(items.waiting(), 3u);
  EXPECT_TRUE(items.empty());
  // A task entered while the load still adds the stored ones comes first in the file.
  EXPECT_TRUE(items.HasRoom());
  EXPECT_TRUE(items.AddItem(u"07:00", u"不循环", u"new"));
  EXPECT_TRUE(items.HasRoom());
  EXPECT_TRUE(items.AddItem(u"07:00", u"不循环", u"newer"));
  EXPECT_FALSE(items.HasRoom());
  EXPECT_FALSE(items.AddItem(u"07:00", u"不循环", u"no room: three are still waiting"));
  EXPECT_EQ(Infos(items.All()), (std::vector<std::u16string>{u"new", u"newer", u"1", u"2", u"3"}));
  EXPECT_TRUE(items.SaveData());
  EXPECT_EQ(Infos(owner.savedFile), Infos(items.All()));

  // The load takes them in their order; the list never holds more than five.
  std::vector<std::u16string> taken;
  while (const std::optional<Task> task = items.TakeWaiting()) {
    taken.push_back(task->info);
    items.AddItem(task->time, task->cycle, task->info);
  }
  EXPECT_EQ(taken, (std::vector<std::u16string>{u"1", u"2", u"3"}));
  EXPECT_EQ(items.size(), 5u);
  owner.told.clear();
  EXPECT_FALSE(items.AddItem(u"07:00", u"不循环", u"sixth"));
  EXPECT_TRUE(owner.told.empty());
  EXPECT_EQ(items.size(), 5u);
  items.RemoveItem(4);
  EXPECT_TRUE(items.HasRoom());
}

// The stored marks are taken at start as the due rules say, before the tasks are shown.
TEST(TaskList, RestoreArmsRepeatingTasksOfEarlierDays) {
  const std::u16string mark = kDoneMark;
  TaskList items;
  const ClockTime now{2026, 12, 9, 3, 8, 0, 0};
  const ClockTime yesterday{2026, 12, 8, 2, 23, 0, 0};
  EXPECT_TRUE(items.Restore({{u"07:00" + mark, u"周1234567", u"daily"}, {u"07:00" + mark, u"不循环", u"once"}},
                            yesterday, now));
  ASSERT_EQ(items.All().size(), 2u);
  EXPECT_EQ(items.All()[0].time, u"07:00");
  EXPECT_EQ(items.All()[1].time, u"07:00" + mark);
  // A task due in the minute to come counts only once it is added.
  const ClockTime before{2026, 12, 9, 3, 6, 59, 0};
  EXPECT_FALSE(items.DueNextMinute(before));
  while (const std::optional<Task> task = items.TakeWaiting()) items.AddItem(task->time, task->cycle, task->info);
  EXPECT_TRUE(items.DueNextMinute(before));
}

// Other events run while a new row slides in: the list stays whole whatever they do to it.
TEST(TaskList, ChangesWhileATaskIsBeingShown) {
  struct Case {
    const char* name;
    std::function<void(TaskList&, std::size_t)> meanwhile;
    std::vector<std::u16string> after;
  };
  const Case cases[] = {
      {"nothing", [](TaskList&, std::size_t) {}, {u"a", u"b"}},
      {"the new task deleted", [](TaskList& l, std::size_t at) { l.RemoveItem(at); }, {u"a"}},
      {"an earlier one deleted", [](TaskList& l, std::size_t) { l.RemoveItem(0); }, {u"b"}},
      {"the new task edited", [](TaskList& l, std::size_t at) { l.EditItem(at, u"08:30", u"周1", u"B"); },
       {u"a", u"B"}},
  };
  for (const Case& c : cases) {
    TaskList items;
    Recorder owner(items);
    items.AddItem(u"08:00", u"不循环", u"a");
    owner.duringAdd = [&](std::size_t at) { c.meanwhile(items, at); };
    EXPECT_TRUE(items.AddItem(u"08:30", u"不循环", u"b")) << c.name;
    EXPECT_EQ(Infos(Shown(items)), c.after) << c.name;
  }
}

TEST(TaskList, CheckDueMarksTheListAndTellsNoOne) {
  TaskList items;
  Recorder owner(items);
  items.AddItem(u"08:30", u"周3", u"a");
  items.AddItem(u"08:30", u"不循环", u"b");
  owner.told.clear();
  const ClockTime wed{2026, 12, 9, 3, 8, 30, 0};
  DueResult r = items.CheckDue(u"08:30", wed);
  EXPECT_EQ(r.fired, 0);
  EXPECT_TRUE(r.moreDue);
  EXPECT_EQ(items[0].time, std::u16string(u"08:30") + kDoneMark);
  r = items.CheckDue(u"08:30", wed);
  EXPECT_EQ(r.fired, 1);
  EXPECT_FALSE(r.moreDue);
  EXPECT_TRUE(owner.told.empty());  // the caller shows the reminder, then the marks
  EXPECT_EQ(owner.saves, 0);
  // No owner: nothing is kept, and saying so is no success.
  items.SetOwner(nullptr);
  EXPECT_FALSE(items.SaveData());
  items.SetOwner(&owner);
  owner.saveWorks = false;
  EXPECT_FALSE(items.SaveData());
}

}  // namespace
}  // namespace tavik
