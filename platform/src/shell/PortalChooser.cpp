// The desktop portal's save and open dialogs through libportal. The library is loaded when first wanted
// (dlopen), never linked, so that the program runs on machines without it; its headers only give
// the calls their types. The portal answers asynchronously on GLib's main context, which is
// iterated here until the answer comes: the chooser is modal like every save dialog.
#include "internal/Utf8.h"
#include "shell/FileDialogParts.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

#if FC_HAVE_LIBPORTAL
#include <libportal/portal.h>
#endif

namespace platform {

#if FC_HAVE_LIBPORTAL

namespace {

// The calls we use, looked up in the loaded library (GLib's come with it as its dependencies).
struct Portal {
    void* library = nullptr;
    decltype(&xdp_portal_new) portalNew = nullptr;
    decltype(&xdp_portal_save_file) saveFile = nullptr;
    decltype(&xdp_portal_save_file_finish) saveFileFinish = nullptr;
    decltype(&xdp_portal_open_file) openFile = nullptr;
    decltype(&xdp_portal_open_file_finish) openFileFinish = nullptr;
    decltype(&g_main_context_iteration) iterate = nullptr;
    decltype(&g_variant_new_parsed) newParsed = nullptr;
    decltype(&g_variant_new_array) newArray = nullptr;
    decltype(&g_variant_lookup) lookup = nullptr;
    decltype(&g_variant_unref) variantUnref = nullptr;
    decltype(&g_object_unref) objectUnref = nullptr;
    decltype(&g_error_free) errorFree = nullptr;
    decltype(&g_filename_from_uri) fromUri = nullptr;
    decltype(&g_free) free = nullptr;
    decltype(&g_strfreev) freeStrings = nullptr;
    decltype(&g_io_error_quark) ioErrorQuark = nullptr;

    bool Load() {
        library = dlopen("libportal.so.1", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return false;
        auto get = [this](auto& slot, const char* name) {
            slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(library, name));
            return slot != nullptr;
        };
        return get(portalNew, "xdp_portal_new") && get(saveFile, "xdp_portal_save_file") &&
               get(saveFileFinish, "xdp_portal_save_file_finish") && get(openFile, "xdp_portal_open_file") &&
               get(openFileFinish, "xdp_portal_open_file_finish") &&
               get(iterate, "g_main_context_iteration") && get(newParsed, "g_variant_new_parsed") &&
               get(newArray, "g_variant_new_array") && get(lookup, "g_variant_lookup") &&
               get(variantUnref, "g_variant_unref") && get(objectUnref, "g_object_unref") &&
               get(errorFree, "g_error_free") && get(fromUri, "g_filename_from_uri") && get(free, "g_free") &&
               get(freeStrings, "g_strfreev") && get(ioErrorQuark, "g_io_error_quark");
    }
};

Portal* portal() {
    static Portal* loaded = [] {
        auto* p = new Portal;
        if (!p->Load()) {
            delete p;
            return static_cast<Portal*>(nullptr);
        }
        return p;
    }();
    return loaded;
}

struct Pending {
    Portal* calls = nullptr;
    bool done = false;
    FileChoice choice;
};

// Takes a chooser's answer: every file of its "uris", or the cancel or failure it ended in.
void takeAnswer(Pending* pending, GVariant* answer, GError* error) {
    Portal* p = pending->calls;
    pending->done = true;
    if (answer == nullptr) {
        // A cancel is the person's answer; any other failure means the portal cannot serve.
        bool cancelled =
            error != nullptr && error->domain == p->ioErrorQuark() && error->code == G_IO_ERROR_CANCELLED;
        pending->choice.kind = cancelled ? FileChoice::Cancelled : FileChoice::Unavailable;
        if (error != nullptr) {
            if (!cancelled)
                std::fprintf(stderr, "display: the desktop's file chooser failed: %s\n", error->message);
            p->errorFree(error);
        }
        return;
    }
    const char** uris = nullptr;
    pending->choice.kind = FileChoice::Cancelled;
    if (p->lookup(answer, "uris", "^a&s", &uris) && uris != nullptr) {
        for (size_t i = 0; uris[i] != nullptr; ++i) {
            char* file = p->fromUri(uris[i], nullptr, nullptr);
            if (file == nullptr)
                continue;
            pending->choice.paths.push_back(FromUtf8(file));
            p->free(file);
        }
        if (!pending->choice.paths.empty())
            pending->choice.kind = FileChoice::Chosen;
    }
    p->free(uris);
    p->variantUnref(answer);
}

void onSaved(GObject* source, GAsyncResult* result, gpointer data) {
    auto* pending = static_cast<Pending*>(data);
    GError* error = nullptr;
    GVariant* answer = pending->calls->saveFileFinish(reinterpret_cast<XdpPortal*>(source), result, &error);
    takeAnswer(pending, answer, error);
}

void onOpened(GObject* source, GAsyncResult* result, gpointer data) {
    auto* pending = static_cast<Pending*>(data);
    GError* error = nullptr;
    GVariant* answer = pending->calls->openFileFinish(reinterpret_cast<XdpPortal*>(source), result, &error);
    takeAnswer(pending, answer, error);
}

// The portal, when the session has one and libportal loads; null otherwise.
XdpPortal* newChooser(Portal*& p) {
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (bus == nullptr || *bus == '\0' || std::getenv("FC_NO_PORTAL") != nullptr)
        return nullptr;
    p = portal();
    return p != nullptr ? p->portalNew() : nullptr;
}

// Each type is a (caption, [(0, glob), ...]) pair, as the portal's FileChooser interface wants;
// `current` gets the one shown first.
GVariant* filterList(Portal* p, const std::vector<std::pair<std::wstring, std::wstring>>& types, int typeIndex,
                     GVariant*& current) {
    std::vector<GVariant*> filters;
    current = nullptr;
    for (size_t i = 0; i < types.size(); ++i) {
        std::string caption = Utf8(types[i].first);
        std::string globs;
        const std::wstring& patterns = types[i].second;
        for (size_t start = 0; start <= patterns.size();) {
            size_t end = patterns.find(L';', start);
            std::string glob = Utf8(patterns.substr(start, end == std::wstring::npos ? end : end - start));
            start = end == std::wstring::npos ? patterns.size() + 1 : end + 1;
            // The glob goes into g_variant_new_parsed's text in single quotes: one that would end
            // the quotes or read as a format is passed over (no pattern of ours has either).
            if (!glob.empty() && glob.find_first_of("'\\%") == std::string::npos)
                globs += std::string(globs.empty() ? "" : ", ") + "(uint32 0, '" + glob + "')";
        }
        if (globs.empty())
            continue;
        std::string text = "(%s, [" + globs + "])";
        filters.push_back(p->newParsed(text.c_str(), caption.c_str()));
        if (static_cast<int>(i + 1) == typeIndex)
            current = p->newParsed(text.c_str(), caption.c_str());
    }
    return filters.empty() ? nullptr : p->newArray(nullptr, filters.data(), filters.size());
}

} // namespace

FileChoice PortalSaveFile(const PlatformSaveDialogRequest& request) {
    FileChoice unavailable;
    unavailable.kind = FileChoice::Unavailable;
    Portal* p = nullptr;
    XdpPortal* chooser = newChooser(p);
    if (chooser == nullptr)
        return unavailable;
    GVariant* current = nullptr;
    GVariant* filters = filterList(p, request.types, request.typeIndex, current);
    Pending pending;
    pending.calls = p;
    std::string title = Utf8(request.title);
    std::string name = Utf8(request.fileName);
    std::string folder = Utf8(request.folder);
    p->saveFile(chooser, nullptr, title.c_str(), name.c_str(), folder.c_str(), nullptr, filters, current,
                nullptr, XDP_SAVE_FILE_FLAG_NONE, nullptr, &onSaved, &pending);
    while (!pending.done)
        p->iterate(nullptr, TRUE);
    p->objectUnref(chooser);
    return pending.choice;
}

FileChoice PortalOpenFiles(const PlatformOpenDialogRequest& request) {
    FileChoice unavailable;
    unavailable.kind = FileChoice::Unavailable;
    // The portal picks files or folders, never both at once.
    if (request.folders)
        return unavailable;
    Portal* p = nullptr;
    XdpPortal* chooser = newChooser(p);
    if (chooser == nullptr)
        return unavailable;
    GVariant* current = nullptr;
    GVariant* filters = filterList(p, request.types, request.typeIndex, current);
    Pending pending;
    pending.calls = p;
    std::string title = Utf8(request.title);
    p->openFile(chooser, nullptr, title.c_str(), filters, current, nullptr,
                request.multiple ? XDP_OPEN_FILE_FLAG_MULTIPLE : XDP_OPEN_FILE_FLAG_NONE, nullptr, &onOpened,
                &pending);
    while (!pending.done)
        p->iterate(nullptr, TRUE);
    p->objectUnref(chooser);
    return pending.choice;
}

#else

FileChoice PortalSaveFile(const PlatformSaveDialogRequest&) {
    FileChoice unavailable;
    unavailable.kind = FileChoice::Unavailable;
    return unavailable;
}

FileChoice PortalOpenFiles(const PlatformOpenDialogRequest&) {
    FileChoice unavailable;
    unavailable.kind = FileChoice::Unavailable;
    return unavailable;
}

#endif

} // namespace platform
