#pragma once

#include <memory>
#include <string>

// OpenSSL's certificate store, named here without its header.
struct x509_store_st;

namespace tq {

// The certificate authorities a client trusts, parsed once and shared by every connection: a new
// connection installs this store instead of reading and parsing the whole bundle again.
class TrustStore {
public:
    // Parses every certificate of a PEM bundle; none when the text holds no certificate.
    static std::shared_ptr<const TrustStore> fromPem(const std::string& pem);
    ~TrustStore();
    TrustStore(const TrustStore&) = delete;
    TrustStore& operator=(const TrustStore&) = delete;

    // Makes an OpenSSL SSL_CTX trust exactly these authorities.
    void installInto(void* sslContext) const;

private:
    explicit TrustStore(x509_store_st* store) : store_(store) {}
    x509_store_st* store_;
};

}  // namespace tq
