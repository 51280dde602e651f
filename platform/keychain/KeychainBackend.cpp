#include "platform/keychain/KeychainBackend.h"

#include "platform/keychain/QtKeychainBackend.h"

#include <memory>

namespace {
KeychainBackend *installed = nullptr;
} // namespace

KeychainBackend::~KeychainBackend() = default;

KeychainBackend *KeychainBackend::shared()
{
    if (installed)
        return installed;
    static std::unique_ptr<QtKeychainBackend> system = std::make_unique<QtKeychainBackend>();
    return system.get();
}

void KeychainBackend::setShared(KeychainBackend *backend)
{
    installed = backend;
}
