// The application object and the module contracts shared by the host and every module.
//
// "Out" parameters are T** receiving one owned reference (XComPtr<T>::Receive()); pointers passed
// in are borrowed; identifiers are narrow text.
#pragma once

#include <platform/windef.h>
#include <sdk/Conf.h>
#include <sdk/Data.h>
#include <sdk/IXUnknown.h>
#include <sdk/Kernel.h>
#include <sdk/XComPtr.h>
#include <sdk/XStringA.h>
#include <sdk/XStringW.h>

// Declared by the platform's winuser.h; handlers only pass it by pointer.
struct MSG;

struct IApp;

// The identity of a module.
struct ModuleInfo {
    XStringA id;     // "mod_..."
    XStringW title;  // shown to the user
    int number = 0;  // the module's number in the host's catalogue
    int version = 0; // 0xMMmmbbbb: major, minor, build
};

// Every module the host loads, and every sibling module, is an IModule.
struct IModule : IXUnknown {
    virtual bool GetInfo(ModuleInfo& info) = 0;
    // Called once after loading; the host passes null for both.
    virtual int Load(void* reserved1, void* reserved2) = 0;
    // 0 on success; 1 with the reason in error on failure.
    virtual int Initialize(IApp* app, XStringW& error) = 0;
    virtual void Uninitialize() = 0;

protected:
    ~IModule() = default;
};

// Offered every message before it is dispatched; true consumes it.
struct IPreMessageHandler : IXUnknown {
    virtual bool PreTranslateMessage(MSG* message) = 0;

protected:
    ~IPreMessageHandler() = default;
};

struct IApp : IXUnknown {
    // The module of this id, or null.
    virtual bool GetModule(IModule** module, const char* id) = 0;
    virtual bool GetThemeMgr(Conf::IThemeMgr** manager) = 0;
    virtual bool GetConfManager(Conf::IConfManager** manager) = 0;
    // Handlers of a higher priority see messages first; equal priorities in the order added.
    // The application keeps a reference.
    virtual void AddPreMessageHandler(int priority, IPreMessageHandler* handler) = 0;
    virtual void RemovePreMessageHandler(IPreMessageHandler* handler) = 0;

protected:
    ~IApp() = default;
};
