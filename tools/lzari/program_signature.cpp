#include "program_signature.h"

#include <fcntl.h>
#include <openssl/pem.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "file_io.h"

extern char** environ;

namespace {

// The signer's certificate's subject, as "/CN=.../O=...", and every
// certificate the signature carries written to `certificates` as PEM.
std::string signerSubject(PKCS7* pkcs7, FILE* certificates)
{
    if (!PKCS7_type_is_signed(pkcs7)) return "";
    STACK_OF(X509)* carried = pkcs7->d.sign->cert;
    for (int i = 0; i < sk_X509_num(carried); i++) PEM_write_X509(certificates, sk_X509_value(carried, i));
    STACK_OF(X509)* signers = PKCS7_get0_signers(pkcs7, nullptr, 0);
    std::string subject;
    if (signers && sk_X509_num(signers) > 0) {
        char* text = X509_NAME_oneline(X509_get_subject_name(sk_X509_value(signers, 0)), nullptr, 0);
        subject = text ? text : "";
        OPENSSL_free(text);
    }
    sk_X509_free(signers);
    return subject;
}

// Runs osslsigncode verify on the file with these certificates trusted; its
// output goes to `output`. The exit status, or -1 when it cannot be run.
int runVerify(const std::string& path, const std::string& certificates, const std::string& output)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const char* arguments[] = {"osslsigncode", "verify", "-in", path.c_str(), "-CAfile", certificates.c_str(), nullptr};
    pid_t child;
    int status = -1;
    if (posix_spawnp(&child, "osslsigncode", &actions, nullptr, const_cast<char**>(arguments), environ) == 0 &&
        waitpid(child, &status, 0) == child)
        status = WIFEXITED(status) && WEXITSTATUS(status) != 127 ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

// The value of the line of `output` that starts with `label`.
std::string valueAfter(const std::string& output, const std::string& label)
{
    size_t at = output.find(label);
    if (at == std::string::npos) return "";
    at += label.size();
    return output.substr(at, output.find('\n', at) - at);
}

}  // namespace

SignatureCheck checkSignature(const std::string& path, const uint8_t* signature, uint32_t size)
{
    if (!signature) return {true, "signature: not signed"};
    const unsigned char* at = signature;
    std::unique_ptr<PKCS7, decltype(&PKCS7_free)> pkcs7(d2i_PKCS7(nullptr, &at, long(size)), PKCS7_free);
    if (!pkcs7) return {false, "signature: unreadable (no PKCS#7 signed data in the certificate table)"};

    char folder[] = "/tmp/lzari-signature-XXXXXX";
    if (!mkdtemp(folder)) return {false, "signature: can't check it (no temporary folder)"};
    std::string certificates = std::string(folder) + "/carried.pem", output = std::string(folder) + "/verify.txt";
    FILE* file = fopen(certificates.c_str(), "w");
    std::string subject = file ? signerSubject(pkcs7.get(), file) : "";
    if (file) fclose(file);
    int status = subject.empty() ? -2 : runVerify(path, certificates, output);
    std::string said;
    if (status > 0) {  // it ran and refused: its output says why
        MappedFile written(output);
        said.assign(reinterpret_cast<const char*>(written.data()), written.size());
    }
    unlink(certificates.c_str()), unlink(output.c_str()), rmdir(folder);

    if (subject.empty()) return {false, "signature: names no signer's certificate"};
    if (status == -1) return {false, "signature: signed by " + subject + "; can't check it (osslsigncode not found)"};
    if (status == 0) return {true, "signature: signed by " + subject + "; it covers the file as it is"};
    std::string current = valueAfter(said, "Current message digest    : "),
                calculated = valueAfter(said, "Calculated message digest : ");
    if (current != calculated) return {false, "signature: signed by " + subject + ", but the file has changed since"};
    return {false, "signature: signed by " + subject + ", but it does not verify"};
}
