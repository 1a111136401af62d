#pragma once
// Runs a file operation off the window's thread. One that ends within half a
// second passes unseen (the window repaints meanwhile but takes no input);
// a longer one shows a progress dialog whose Cancel asks it to stop.
#include "storage/FileJob.h"

#include <QString>
#include <functional>

class QWidget;

// Returns what work returned; work reports its progress through job.
int RunFileJob(QWidget *parent, const QString &label, FileJob &job, const std::function<int()> &work);
