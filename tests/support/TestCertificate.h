#pragma once

#include <string>
#include <vector>

namespace tq::test {

// A self-signed certificate and its private key, made in memory for one test web service. It names
// the given host names (and 127.0.0.1) as its subject alternative names and can be trusted as its
// own authority.
struct TestCertificate {
    std::string certificatePem;
    std::string privateKeyPem;

    static TestCertificate selfSigned(const std::vector<std::string>& hostNames);
};

}  // namespace tq::test
