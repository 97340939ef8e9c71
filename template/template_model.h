// The one open template: start a new one with its ground state, open a stored one by
// name, save it in place, under a new name or over another stored template.
#ifndef TARNWRIGHT_TEMPLATE_TEMPLATE_MODEL_H
#define TARNWRIGHT_TEMPLATE_TEMPLATE_MODEL_H

#include <X11/Intrinsic.h>

#include <string>

#include "platform/qori.h"

extern Qor_Defn qor_handle;  // the open template
extern int modified;         // 1 when it has unsaved changes

// Sets a label's text.
void set_string(Widget label, const char* text);
// Writes a status text to both status lines, the main window's first.
void set_status(const std::string& text);

void new_template();
void template_open();  // opens the name in open_template
int save_template();   // 1 = saved; 0 = not saved, or stopped to ask about an overwrite
int write_template(const char* name, const char* descr);
// Stores the open template under a name no stored template has (a first store or a copy).
int write_template_as(const char* name, const char* descr);
// Reads the open template again from what is stored under its name, dropping the changes
// made here; 0 (with nothing changed) when it is no longer stored.
int reload_template();
// Replaces the template stored under name by the open one, in one store transaction.
int overwrite_template(const char* name, const char* descr);
int valid_description(const char* descr);

// The ground state's poll rate and severity from the server's albums (200 bytes each).
void get_new_ground_pollrate(char* out);
void get_new_ground_sev(char* out);

#endif
