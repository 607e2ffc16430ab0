// GTK hands its ATK objects to at-spi, which screen readers such as Orca read.
#include "accessibility.h"

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/control.h>
#include <wx/window.h>

#include <set>

namespace {

// Makes `target` the one object `from` has in a relation of this type,
// dropping whatever the toolkit derived before.
void relate_only(AtkObject* from, AtkRelationType type, AtkObject* target) {
    AtkRelationSet* set = atk_object_ref_relation_set(from);
    while (AtkRelation* old = atk_relation_set_get_relation_by_type(set, type)) atk_relation_set_remove(set, old);
    g_object_unref(set);
    atk_object_add_relationship(from, type, target);
}

}  // namespace

bool tavui::set_accessible_label(wxWindow& edit, wxControl& label) {
    GtkWidget* edit_widget = edit.GetHandle();
    GtkWidget* label_widget = label.GetHandle();
    if (edit_widget == nullptr || !GTK_IS_LABEL(label_widget)) return false;
    // wx gives a label the control that follows it as its mnemonic widget,
    // and GTK derives both relations from that. The labels have no mnemonic
    // key, so this changes nothing on the keyboard.
    gtk_label_set_mnemonic_widget(GTK_LABEL(label_widget), edit_widget);
    AtkObject* edit_object = gtk_widget_get_accessible(edit_widget);
    AtkObject* label_object = gtk_widget_get_accessible(label_widget);
    relate_only(edit_object, ATK_RELATION_LABELLED_BY, label_object);
    relate_only(label_object, ATK_RELATION_LABEL_FOR, edit_object);
    atk_object_set_name(edit_object, label.GetLabelText().utf8_str());
    return true;
}

bool tavui::set_accessible_description(wxWindow& control, const wxString& description) {
    GtkWidget* widget = control.GetHandle();
    if (widget == nullptr) return false;
    atk_object_set_description(gtk_widget_get_accessible(widget), description.utf8_str());
    return true;
}

bool tavui::defer_assistive_command(wxEvent& event) {
    static std::set<const wxEvent*> queued;
    if (event.GetEventType() != wxEVT_BUTTON && event.GetEventType() != wxEVT_MENU) return false;
    if (queued.erase(&event) != 0) return false;
    // A click or key of the user's own is an input event that GTK is
    // handling. A popup menu runs within the input that opened it, so its
    // entries' commands all wait their turn, which changes nothing for a user.
    if (GdkEvent* input = event.GetEventType() == wxEVT_BUTTON ? gtk_get_current_event() : nullptr) {
        gdk_event_free(input);
        return false;
    }
    // A button's command goes where the button sends it; a menu's, once the
    // menu has gone, to the window that showed it: the program's one menu is
    // the main dialog's.
    wxEvtHandler* target = event.GetEventType() == wxEVT_MENU ? wxTheApp->GetTopWindow()
                                                              : dynamic_cast<wxEvtHandler*>(event.GetEventObject());
    if (target == nullptr) return false;
    wxEvent* again = event.Clone();
    queued.insert(again);
    target->QueueEvent(again);
    return true;
}
