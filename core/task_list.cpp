#include "core/task_list.h"

#include <utility>

namespace tavik {

bool TaskList::Restore(std::vector<Task> stored, const std::optional<ClockTime>& written, const ClockTime& now) {
  const bool changed = RearmStored(stored, written, now, armed_);
  waiting_.assign(std::make_move_iterator(stored.begin()), std::make_move_iterator(stored.end()));
  return changed;
}

std::optional<Task> TaskList::TakeWaiting() {
  if (waiting_.empty()) return std::nullopt;
  Task task = std::move(waiting_.front());
  waiting_.pop_front();
  return task;
}

std::vector<Task> TaskList::All() const {
  std::vector<Task> all(tasks_);
  all.insert(all.end(), waiting_.begin(), waiting_.end());
  return all;
}

bool TaskList::AddItem(const std::u16string& time, const std::u16string& cycle, const std::u16string& tips) {
  return AddItem(Task{time, cycle, tips});
}

bool TaskList::AddItem(Task task) {
  if (!HasRoom()) return false;
  tasks_.push_back(std::move(task));
  if (owner_) owner_->TaskAdded(tasks_.size() - 1);
  return true;
}

bool TaskList::EditItem(std::size_t at, const std::u16string& time, const std::u16string& cycle,
                        const std::u16string& tips) {
  if (at >= tasks_.size()) return false;
  tasks_[at] = Task{time, cycle, tips};
  if (owner_) owner_->TaskChanged(at);
  return true;
}

bool TaskList::RemoveItem(std::size_t at) {
  if (at >= tasks_.size()) return false;
  tasks_.erase(tasks_.begin() + static_cast<std::ptrdiff_t>(at));
  if (owner_) owner_->TaskRemoved(at);
  return true;
}

}  // namespace tavik
