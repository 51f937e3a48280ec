#include "player/shell/FirewallHelper.h"

#include <windows.h>
#include <netfw.h>
#include <wrl/client.h>

#include "framework/com/ComUtil.h"

namespace {

// Classes of the Windows Firewall API (the import libraries do not carry them).
constexpr CLSID kNetFwMgr = {0x304ce942, 0x6e39, 0x40d8, {0x94, 0x3a, 0xb9, 0x13, 0xc4, 0x0c, 0x9c, 0xd4}};
constexpr CLSID kNetFwAuthorizedApplication = {
    0xec9846b3, 0x2762, 0x4a6b, {0xa2, 0x14, 0x6a, 0xcb, 0x60, 0x34, 0x62, 0xd2}};

// COM for the calling thread, for the life of one firewall step.
class CScopedComInit {
public:
    CScopedComInit() : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CScopedComInit() {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    CScopedComInit(const CScopedComInit&) = delete;
    CScopedComInit& operator=(const CScopedComInit&) = delete;

private:
    HRESULT result_;
};

// The profile's collections the helper works with; empty when any step failed.
struct FirewallObjects {
    ComPtr<INetFwProfile> profile;
    ComPtr<INetFwServices> services;
    ComPtr<INetFwAuthorizedApplications> applications;
    ComPtr<INetFwOpenPorts> globalPorts;

    bool Open() {
        ComPtr<INetFwMgr> manager;
        ComPtr<INetFwPolicy> policy;
        if (FAILED(CoCreateInstance(kNetFwMgr, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&manager))) || !manager)
            return false;
        if (FAILED(manager->get_LocalPolicy(&policy)) || !policy)
            return false;
        if (FAILED(policy->get_CurrentProfile(&profile)) || !profile)
            return false;
        return SUCCEEDED(profile->get_Services(&services)) && services &&
               SUCCEEDED(profile->get_AuthorizedApplications(&applications)) && applications &&
               SUCCEEDED(profile->get_GloballyOpenPorts(&globalPorts)) && globalPorts;
    }
};

void EnableUPnPService(INetFwServices* services) {
    ComPtr<INetFwService> upnp;
    if (FAILED(services->Item(NET_FW_SERVICE_UPNP, &upnp)) || !upnp)
        return;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    if (SUCCEEDED(upnp->get_Enabled(&enabled)) && enabled == VARIANT_FALSE)
        upnp->put_Enabled(VARIANT_TRUE);
}

}  // namespace

bool CFirewallHelper::AddException(const std::wstring& modulePath, const std::wstring& name) {
    CScopedComInit com;
    FirewallObjects fw;
    if (!fw.Open())
        return false;
    VARIANT_BOOL notAllowed = VARIANT_FALSE;
    if (SUCCEEDED(fw.profile->get_ExceptionsNotAllowed(&notAllowed)) && notAllowed != VARIANT_FALSE)
        return false;

    EnableUPnPService(fw.services.Get());

    CScopedBstr image(modulePath);
    ComPtr<INetFwAuthorizedApplication> application;
    if (FAILED(fw.applications->Item(image.Get(), &application)) || !application) {
        application.Reset();
        if (SUCCEEDED(CoCreateInstance(kNetFwAuthorizedApplication, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&application))) && application) {
            CScopedBstr title(name);
            application->put_ProcessImageFileName(image.Get());
            application->put_Name(title.Get());
            if (FAILED(fw.applications->Add(application.Get())))
                application.Reset();
        }
    }
    if (application) {
        VARIANT_BOOL enabled = VARIANT_FALSE;
        if (SUCCEEDED(application->get_Enabled(&enabled)) && enabled == VARIANT_FALSE)
            application->put_Enabled(VARIANT_TRUE);
    }
    return true;
}

void CFirewallHelper::RemoveException(const std::wstring& modulePath) {
    CScopedComInit com;
    FirewallObjects fw;
    if (!fw.Open())
        return;
    CScopedBstr image(modulePath);
    ComPtr<INetFwAuthorizedApplication> application;
    if (SUCCEEDED(fw.applications->Item(image.Get(), &application)) && application)
        fw.applications->Remove(image.Get());
}
