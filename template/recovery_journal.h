// The open template's recovery journal (varo/recovery.h), kept as a view of the change signal:
// while the working copy has unsaved changes it is in the journal, written when the main loop is
// idle (at most every JOURNAL_INTERVAL_MS, so a burst of changes is one write; after a write that
// took long, the next waits four times as long; an edit other than typing that finds an earlier
// one unwritten writes at once) and always before the program ends. A save, or a
// working copy equal to what is stored, removes it; a working copy dropped unsaved (New, Open,
// reload) is kept as the last discarded copy.
#ifndef TARNWRIGHT_TEMPLATE_RECOVERY_JOURNAL_H
#define TARNWRIGHT_TEMPLATE_RECOVERY_JOURNAL_H

#include <string>
#include <vector>

#include "template/template_change.h"
#include "varo/recovery.h"

enum { JOURNAL_INTERVAL_MS = 40 };

void journal_view(const TemplateChange& change);

// The main loop's idle turn: writes what is due unless the last write is too recent; returns
// the milliseconds until a deferred write may be made, 0 when nothing is left due.
int write_journal_when_due();
// Writes what is due at once: the program is about to end.
void write_journal_now();
// The program ends (after write_journal_now): the journal stays for the next start; only the
// lock that says this editor is alive goes. Makes no X call and allocates nothing new.
void end_journal();

// This editor's journal ("" before the first write) and the journals of the connected store
// whose editors are gone, oldest first.
std::string journal_path();
std::vector<varo::JournalFile> orphan_journals();

#endif
