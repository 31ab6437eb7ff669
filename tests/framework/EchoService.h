#pragma once
// A small service used by the framework's tests, built from the fixtures in
// tests/data/framework.
#include <memory>
#include <string>
#include <vector>

#include "UpnpService.h"
#include "UpnpServiceFactory.h"

inline std::string FrameworkData(const std::string& name) {
    return std::string(HALVORN_TEST_DATA) + "/framework/" + name;
}

class EchoAction : public UpnpAction {
public:
    explicit EchoAction(const ServiceInfo& info) : UpnpAction(info, "Echo") {
        AddInput("Text", &text);
        AddInput("Number", &number);
    }
    int ProcessRequest(const std::string& address, ActionResults& results) override {
        last_address = address;
        ++runs;
        results.emplace_back("Result", text).as_cdata = markup;
        results.emplace_back("Twice", number * 2);
        return 0;
    }
    std::string text;
    int32_t number = 0;
    bool markup = false;  // Result as a document, the way Browse sends it
    std::string last_address;
    int runs = 0;
};

class FailAction : public UpnpAction {
public:
    explicit FailAction(const ServiceInfo& info) : UpnpAction(info, "Fail") {
        AddInput("Code", &code);
    }
    int ProcessRequest(const std::string&, ActionResults&) override { return code; }
    int32_t code = 0;
};

class NothingAction : public UpnpAction {
public:
    explicit NothingAction(const ServiceInfo& info) : UpnpAction(info, "Nothing") {}
    int ProcessRequest(const std::string&, ActionResults&) override { return 0; }
};

class EchoService : public UpnpService {
public:
    EchoService(const ServiceInfo& info, bool local) : UpnpService(info), local_(local) {}

    // Local services read the SCPD fixture instead of downloading it.
    bool LoadActions() override {
        if (!local_) return UpnpService::LoadActions();
        UniqueXmlDocument scpd(ixmlLoadDocument(FrameworkData("EchoService.xml").c_str()));
        return scpd && LoadActionsFrom(scpd.get());
    }

    std::shared_ptr<UpnpAction> CreateAction(const std::string& name) override {
        if (name == "Echo") return std::make_shared<EchoAction>(service);
        if (name == "Fail") return std::make_shared<FailAction>(service);
        if (name == "Nothing") return std::make_shared<NothingAction>(service);
        return nullptr;
    }

    template <class T>
    T* Find(const std::string& name) const {
        for (const auto& action : actions)
            if (action->Name() == name) return dynamic_cast<T*>(action.get());
        return nullptr;
    }

private:
    bool local_;
};

class EchoFactory : public UpnpServiceFactory {
public:
    explicit EchoFactory(bool local) : local_(local) {}
    std::shared_ptr<UpnpService> CreateService(const DeviceInfo& device,
                                               const ServiceInfo& service) override {
        requested.push_back(service);
        devices.push_back(device);
        if (service.serviceType != "urn:halvorn-test:service:Echo:1") return nullptr;
        return std::make_shared<EchoService>(service, local_);
    }
    std::vector<ServiceInfo> requested;
    std::vector<DeviceInfo> devices;

private:
    bool local_;
};
