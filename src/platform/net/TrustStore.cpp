#include "platform/net/TrustStore.h"

#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

namespace tq {

std::shared_ptr<const TrustStore> TrustStore::fromPem(const std::string& pem) {
    BIO* input = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    if (!input) return nullptr;
    STACK_OF(X509_INFO)* entries = PEM_X509_INFO_read_bio(input, nullptr, nullptr, nullptr);
    BIO_free(input);
    if (!entries) return nullptr;
    X509_STORE* store = X509_STORE_new();
    int added = 0;
    for (int i = 0; store && i < sk_X509_INFO_num(entries); ++i) {
        X509_INFO* entry = sk_X509_INFO_value(entries, i);
        if (entry->x509 && X509_STORE_add_cert(store, entry->x509) == 1) ++added;
    }
    sk_X509_INFO_pop_free(entries, X509_INFO_free);
    if (!store || added == 0) {
        X509_STORE_free(store);
        return nullptr;
    }
    return std::shared_ptr<const TrustStore>(new TrustStore(store));
}

TrustStore::~TrustStore() { X509_STORE_free(store_); }

void TrustStore::installInto(void* sslContext) const {
    // The context takes its own reference: the store outlives any connection still using it.
    SSL_CTX_set1_cert_store(static_cast<SSL_CTX*>(sslContext), store_);
}

}  // namespace tq
