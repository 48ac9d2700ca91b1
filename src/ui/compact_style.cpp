#include "ui/compact_style.h"

#include <wx/window.h>

#include <dlfcn.h>

namespace {

// The few functions of the toolkit's underlying library that set a style sheet, taken
// from the library that the toolkit has already loaded.
struct StyleFunctions {
    void* (*cssProviderNew)() = nullptr;
    int (*cssProviderLoad)(void*, const char*, long, void**) = nullptr;
    void* (*screenDefault)() = nullptr;
    void (*addProviderForScreen)(void*, void*, unsigned) = nullptr;
    void* (*widgetStyleContext)(void*) = nullptr;
    void (*contextAddClass)(void*, const char*) = nullptr;
    void* (*settingsDefault)() = nullptr;
    void (*objectSet)(void*, const char*, ...) = nullptr;
    bool ok = false;
};

const StyleFunctions& Functions() {
    static const StyleFunctions functions = [] {
        StyleFunctions f;
        void* gtk = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_NOLOAD);
        void* gdk = dlopen("libgdk-3.so.0", RTLD_NOW | RTLD_NOLOAD);
        if (!gtk || !gdk) return f;
        f.cssProviderNew =
            reinterpret_cast<decltype(f.cssProviderNew)>(dlsym(gtk, "gtk_css_provider_new"));
        f.cssProviderLoad = reinterpret_cast<decltype(f.cssProviderLoad)>(
            dlsym(gtk, "gtk_css_provider_load_from_data"));
        f.screenDefault =
            reinterpret_cast<decltype(f.screenDefault)>(dlsym(gdk, "gdk_screen_get_default"));
        f.addProviderForScreen = reinterpret_cast<decltype(f.addProviderForScreen)>(
            dlsym(gtk, "gtk_style_context_add_provider_for_screen"));
        f.widgetStyleContext = reinterpret_cast<decltype(f.widgetStyleContext)>(
            dlsym(gtk, "gtk_widget_get_style_context"));
        f.contextAddClass = reinterpret_cast<decltype(f.contextAddClass)>(
            dlsym(gtk, "gtk_style_context_add_class"));
        f.settingsDefault =
            reinterpret_cast<decltype(f.settingsDefault)>(dlsym(gtk, "gtk_settings_get_default"));
        if (void* gobject = dlopen("libgobject-2.0.so.0", RTLD_NOW | RTLD_NOLOAD)) {
            f.objectSet = reinterpret_cast<decltype(f.objectSet)>(dlsym(gobject, "g_object_set"));
            dlclose(gobject);
        }
        f.ok = f.cssProviderNew && f.cssProviderLoad && f.screenDefault && f.addProviderForScreen &&
               f.widgetStyleContext && f.contextAddClass;
        // The libraries stay loaded by the toolkit; the extra references are dropped.
        dlclose(gtk);
        dlclose(gdk);
        return f;
    }();
    return functions;
}

constexpr const char* kStyle =
    ".brelvix-compact entry { min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
    ".brelvix-compact combobox button { min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
    ".brelvix-compact button { min-height: 0; min-width: 0; padding: 1px 4px; }\n"
    ".brelvix-compact button.image-button { padding: 1px; }\n"
    ".brelvix-compact checkbutton { min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
    ".brelvix-compact spinbutton { min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
    ".brelvix-compact spinbutton button { min-height: 0; padding: 0 4px; }\n"
    ".brelvix-compact scale { padding-top: 5px; padding-bottom: 5px; }\n";

void InstallStyleSheet() {
    static bool installed = false;
    const StyleFunctions& f = Functions();
    if (installed || !f.ok) return;
    void* screen = f.screenDefault();
    if (!screen) return;
    void* provider = f.cssProviderNew();
    if (!provider) return;
    f.cssProviderLoad(provider, kStyle, -1, nullptr);
    f.addProviderForScreen(screen, provider, 800); // above the theme and the user's settings
    // Menu entries show their icons.
    if (f.settingsDefault && f.objectSet)
        if (void* settings = f.settingsDefault())
            f.objectSet(settings, "gtk-menu-images", 1, nullptr);
    installed = true;
}

} // namespace

void UseCompactControls(wxWindow* window) {
    const StyleFunctions& f = Functions();
    if (!window || !f.ok) return;
    InstallStyleSheet();
    if (void* widget = window->GetHandle())
        if (void* context = f.widgetStyleContext(widget))
            f.contextAddClass(context, "brelvix-compact");
}
