#pragma once

#include <openssl/evp.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "update/site_signature.h"

namespace quorlen::testing_support {

// An Ed25519 key pair made for one test, standing in for the vendor site's private key.
class TestSiteKey {
 public:
  TestSiteKey() : key_(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), EVP_PKEY_free) {
    if (!key_) throw std::runtime_error("no Ed25519 key could be made");
  }

  // The detached signature of exactly `text`, as the site's ".sig" file holds it.
  std::string Sign(std::string_view text) const {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                    EVP_MD_CTX_free);
    std::string signature(update::SiteKey::kSignatureBytes, '\0');
    std::size_t size = signature.size();
    EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key_.get());
    EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()), &size,
                   reinterpret_cast<const unsigned char*>(text.data()), text.size());
    return signature;
  }

  // The public half, as the program has it built in.
  update::SiteKey Public() const {
    unsigned char raw[update::SiteKey::kKeyBytes];
    std::size_t size = sizeof raw;
    EVP_PKEY_get_raw_public_key(key_.get(), raw, &size);
    std::string hex;
    for (unsigned char byte : raw)
      hex += {"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
    return *update::SiteKey::FromHex(hex);
  }

 private:
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key_;
};

}  // namespace quorlen::testing_support
