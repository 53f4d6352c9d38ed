// Items: the program's tasks, in the order they were added, at most five. The program owns the
// one list: the main window's rows show it, the data file keeps it, the due check marks it, and
// the new-task dialog and the item menu change it. Places count from 0, first task first.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/due_check.h"
#include "core/task_data.h"

namespace tavik {

class TaskList {
 public:
  // Whoever shows the list and keeps it in the file (the main window). It is told of each
  // change after the list has made it.
  class Owner {
   public:
    // A task was added at the end (`at` is the last place).
    virtual void TaskAdded(std::size_t at) = 0;
    // The task at `at` has new texts.
    virtual void TaskChanged(std::size_t at) = 0;
    // The task at `at` is gone; the tasks after it moved up one place.
    virtual void TaskRemoved(std::size_t at) = 0;
    // Writes the whole list to the data file; false when it could not be written.
    virtual bool SaveData() = 0;

   protected:
    ~Owner() = default;
  };

  TaskList() = default;
  TaskList(const TaskList&) = delete;
  TaskList& operator=(const TaskList&) = delete;

  void SetOwner(Owner* owner) { owner_ = owner; }

  // The tasks added so far (the list the user sees).
  std::size_t size() const { return tasks_.size(); }
  bool empty() const { return tasks_.empty(); }
  const Task& operator[](std::size_t at) const { return tasks_[at]; }
  std::vector<Task>::const_iterator begin() const { return tasks_.begin(); }
  std::vector<Task>::const_iterator end() const { return tasks_.end(); }

  // The tasks read from the data file at start, at `now`, from a file last written at
  // `written`: each repeating task is armed again unless its mark is today's (RearmStored).
  // They wait here until the start-up load adds them one by one; they belong to the list,
  // count against its five places and are saved with it. True when a mark was taken (the
  // file should be written again).
  bool Restore(std::vector<Task> stored, const std::optional<ClockTime>& written, const ClockTime& now);
  std::optional<Task> TakeWaiting();
  std::size_t waiting() const { return waiting_.size(); }
  // Room for one more task, counting those still waiting.
  bool HasRoom() const { return tasks_.size() + waiting_.size() < static_cast<std::size_t>(kMaxTasks); }
  // Every task as the file keeps it: those added, then those waiting, in their order.
  std::vector<Task> All() const;

  // A new last task. The owner shows it before this returns, and other events may run while
  // it does (a row slides in). False, and nothing added, when the five places are taken
  // (tasks still waiting count: the load takes one from them before it adds it).
  bool AddItem(const std::u16string& time, const std::u16string& cycle, const std::u16string& tips);
  bool AddItem(Task task);  // the same, taking the texts over (a stored text may be megabytes)
  // New texts for the task at `at`; false when there is none.
  bool EditItem(std::size_t at, const std::u16string& time, const std::u16string& cycle,
                const std::u16string& tips);
  // Removes the task at `at`: the later ones move up one place. False when there is none.
  bool RemoveItem(std::size_t at);
  // Has the owner write the list to the data file; false when it could not (or no one keeps it).
  bool SaveData() { return owner_ != nullptr && owner_->SaveData(); }

  // The due check on the list (due_check.h): marks are set and taken in place. The owner is
  // told nothing here: the caller reminds the user of the task that fired before its mark is
  // shown, and saves.
  DueResult CheckDue(std::u16string_view clockText, const ClockTime& today) {
    return DueCheck(tasks_.data(), tasks_.size(), clockText, today, armed_);
  }
  // True when a task added may fall due in the minute after `now`.
  bool DueNextMinute(const ClockTime& now) const {
    return tavik::DueNextMinute(tasks_.data(), tasks_.size(), now);
  }

 private:
  std::vector<Task> tasks_;
  std::deque<Task> waiting_;
  DueMemory armed_;  // the day the marks are for
  Owner* owner_ = nullptr;
};

}  // namespace tavik
