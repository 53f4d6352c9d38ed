// The main window's task list as the parts that change it see it: the dialog, the item menu.
#pragma once

#include <windows.h>

#include <string>

#include "core/task_data.h"

namespace tavik {

class TaskList {
 public:
  // The window the list lives in (menus are owned by it); null once it is gone.
  virtual HWND Owner() const = 0;
  // Task rows are 1 .. HighestIndex().
  virtual int HighestIndex() const = 0;
  // The tasks of the list, also those the start-up load has not shown yet.
  virtual int TaskCount() const = 0;
  // The texts of row `index` (empty for an index without a row).
  virtual Task RowTask(int index) const = 0;
  // Where row `index` is on the screen.
  virtual RECT RowScreenRect(int index) const = 0;

  // A new last row with these texts; it slides in.
  virtual void AddItem(const std::u16string& time, const std::u16string& cycle, const std::u16string& tips) = 0;
  // New texts for row `id` (1 .. HighestIndex()).
  virtual void EditItem(short id, const std::u16string& time, const std::u16string& cycle,
                        const std::u16string& tips) = 0;
  // Removes the last row (its texts must have been moved up by the caller).
  virtual void RemoveLastRow() = 0;
  // Writes every task to the data file; false when it could not be written.
  virtual bool SaveData() = 0;

 protected:
  ~TaskList() = default;
};

}  // namespace tavik
