#include "update/site_signature.h"

#include <openssl/evp.h>

#include <memory>

namespace quorlen::update {

bool SiteKey::Signed(std::string_view text, std::string_view signature) const {
  if (signature.size() != kSignatureBytes) return false;
  const std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
      EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key_.data(), key_.size()),
      EVP_PKEY_free);
  const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                        EVP_MD_CTX_free);
  if (!key || !context) return false;
  // Ed25519 signs the message itself, with no digest chosen by the caller.
  if (EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) return false;
  return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                          signature.size(), reinterpret_cast<const unsigned char*>(text.data()),
                          text.size()) == 1;
}

}  // namespace quorlen::update
