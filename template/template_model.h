// The open template as a document: the working copy, its name and description, whether it
// has unsaved changes, and the operations that change it. Each operation returns what came
// of it and announces the change (template/template_change.h); none shows anything or asks
// the user: the callback that started it does that.
#ifndef TARNWRIGHT_TEMPLATE_TEMPLATE_MODEL_H
#define TARNWRIGHT_TEMPLATE_TEMPLATE_MODEL_H

#include <string>

#include "platform/qori.h"
#include "template/template_change.h"
#include "varo/recovery.h"

extern Qor_Defn qor_handle;  // the open template
extern int modified;         // 1 when it has unsaved changes

// The name and description the main window's fields show: set by start, open, reload and
// undo, and by the user typing into the fields.
struct TemplateFields {
    std::string name, descr;
    bool operator==(const TemplateFields& o) const { return name == o.name && descr == o.descr; }
};
extern TemplateFields template_fields;

// The open template's name; "" when none is open.
std::string template_name();

enum class StartResult { Started, GroundRefused };
StartResult new_template();

enum class OpenResult {
    Opened,
    AlreadyOpen,  // the name is the open template's: nothing was done
    NotFound,     // no stored template has the name; no template is open now
    Unreadable    // found, but its states could not be read; no template is open now
};
OpenResult template_open();  // opens the name in open_template

// Reads the open template again from what is stored under its name, dropping the changes
// made here; 0 (with nothing changed) when it is no longer stored.
int reload_template();

enum class SaveResult {
    Saved,
    BlankName,         // nothing typed: refused without a word
    NameRefused,       // not one word, or with invisible or look-alike characters (reason: the text)
    Noname,            // the new template's own name
    NoDescription,
    NoTemplate,        // none open (start-up could not reach Varo)
    NameTaken,         // another stored template has the name: overwrite only when confirmed
    CreateNameStored,  // a first store or copy under a name stored meanwhile
    Incomplete,        // a template without states
    CreateRefused,     // a first store or copy the store could not take (reason)
    InUse,             // a save in place refused: the template is in use
    SaveRefused,       // a save in place refused for another reason (reason)
    ChangedElsewhere,  // another client saved or deleted it since it was read (reason)
    OverwriteRefused   // the stored template could not be replaced (reason)
};
struct SaveOutcome {
    SaveResult result;
    std::string reason;  // the store's own words, where the result has one
    std::string name;    // the name as saved (the first word typed); "" when the text was refused
    std::string descr;   // the description as saved; set once the description was accepted
};
bool saved(const SaveOutcome& outcome);

// A save of the main window's texts: in place, under a new name, or refused with NameTaken
// when another stored template has the name.
SaveOutcome save_template(const std::string& name_text, const std::string& descr_text);
SaveOutcome write_template(const char* name, const char* descr);
// Stores the open template under a name no stored template has (a first store or a copy).
SaveOutcome write_template_as(const char* name, const char* descr);
// Replaces the template stored under name by the open one, in one store transaction.
SaveOutcome overwrite_template(const char* name, const char* descr);

// An edit of the working copy was made: it is modified, and the views follow. `status` is
// the status text naming the template.
void template_edited(unsigned parts, MessageId status);
// The user typed into the name or description field: modified while either differs from
// what was last saved (or started, opened, reloaded), or the contents were edited.
void template_fields_typed(const TemplateFields& fields);
// Makes a former version of the template the working copy, description included: an
// edit like any other (modified, undoable), which Save stores as a new version.
void take_version(const varo::TemplateDef& version, MessageId status);
// Puts a whole step back (undo, redo): the contents and the two fields.
void restore_template(const Qor_Snapshot& contents, const TemplateFields& fields, MessageId status);

// Puts back the working copy a recovery journal kept, as modified, with the two fields as they
// were typed; undo starts there. A stored template changed or deleted since is not saved over.
enum class RecoverResult { Recovered, ChangedElsewhere, DeletedElsewhere, Refused };
RecoverResult recover_template(const varo::Journal& journal);

// The ground state's poll rate and severity from the server's albums (200 bytes each).
void get_new_ground_pollrate(char* out);
void get_new_ground_sev(char* out);

#endif
