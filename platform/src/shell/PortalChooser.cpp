// The desktop portal's save dialog through libportal. The library is loaded when first wanted
// (dlopen), never linked, so that the program runs on machines without it; its headers only give
// the calls their types. The portal answers asynchronously on GLib's main context, which is
// iterated here until the answer comes: the chooser is modal like every save dialog.
#include "internal/Utf8.h"
#include "shell/SaveDialogParts.h"

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
               get(saveFileFinish, "xdp_portal_save_file_finish") &&
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
    SaveChoice choice;
};

void onSaved(GObject* source, GAsyncResult* result, gpointer data) {
    auto* pending = static_cast<Pending*>(data);
    Portal* p = pending->calls;
    GError* error = nullptr;
    GVariant* answer = p->saveFileFinish(reinterpret_cast<XdpPortal*>(source), result, &error);
    pending->done = true;
    if (answer == nullptr) {
        // A cancel is the person's answer; any other failure means the portal cannot serve.
        bool cancelled =
            error != nullptr && error->domain == p->ioErrorQuark() && error->code == G_IO_ERROR_CANCELLED;
        pending->choice.kind = cancelled ? SaveChoice::Cancelled : SaveChoice::Unavailable;
        if (error != nullptr) {
            if (!cancelled)
                std::fprintf(stderr, "display: the desktop's file chooser failed: %s\n", error->message);
            p->errorFree(error);
        }
        return;
    }
    const char** uris = nullptr;
    pending->choice.kind = SaveChoice::Cancelled;
    if (p->lookup(answer, "uris", "^a&s", &uris) && uris != nullptr && uris[0] != nullptr) {
        char* file = p->fromUri(uris[0], nullptr, nullptr);
        if (file != nullptr) {
            pending->choice.kind = SaveChoice::Chosen;
            pending->choice.path = FromUtf8(file);
            p->free(file);
        }
    }
    p->free(uris);
    p->variantUnref(answer);
}

} // namespace

SaveChoice PortalSaveFile(const PlatformSaveDialogRequest& request) {
    SaveChoice unavailable;
    unavailable.kind = SaveChoice::Unavailable;
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (bus == nullptr || *bus == '\0' || std::getenv("FC_NO_PORTAL") != nullptr)
        return unavailable;
    Portal* p = portal();
    if (p == nullptr)
        return unavailable;
    XdpPortal* chooser = p->portalNew();
    if (chooser == nullptr)
        return unavailable;
    // Each type is a (caption, [(0, glob)]) pair, as the portal's FileChooser interface wants.
    std::vector<GVariant*> filters;
    GVariant* current = nullptr;
    for (size_t i = 0; i < request.types.size(); ++i) {
        std::string caption = Utf8(request.types[i].first);
        std::string glob = Utf8(request.types[i].second.substr(0, request.types[i].second.find(L';')));
        filters.push_back(p->newParsed("(%s, [(uint32 0, %s)])", caption.c_str(), glob.c_str()));
        if (static_cast<int>(i + 1) == request.typeIndex)
            current = p->newParsed("(%s, [(uint32 0, %s)])", caption.c_str(), glob.c_str());
    }
    GVariant* filterArray = filters.empty() ? nullptr : p->newArray(nullptr, filters.data(), filters.size());
    Pending pending;
    pending.calls = p;
    std::string title = Utf8(request.title);
    std::string name = Utf8(request.fileName);
    std::string folder = Utf8(request.folder);
    p->saveFile(chooser, nullptr, title.c_str(), name.c_str(), folder.c_str(), nullptr, filterArray, current,
                nullptr, XDP_SAVE_FILE_FLAG_NONE, nullptr, &onSaved, &pending);
    while (!pending.done)
        p->iterate(nullptr, TRUE);
    p->objectUnref(chooser);
    return pending.choice;
}

#else

SaveChoice PortalSaveFile(const PlatformSaveDialogRequest&) {
    SaveChoice unavailable;
    unavailable.kind = SaveChoice::Unavailable;
    return unavailable;
}

#endif

} // namespace platform
