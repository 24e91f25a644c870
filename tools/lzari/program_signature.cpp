#include "program_signature.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>  // X509_check_issued

#include <cstring>
#include <memory>
#include <vector>

namespace {

// Authenticode's own object identifiers, which OpenSSL does not name.
constexpr char indirectDataOid[] = "1.3.6.1.4.1.311.2.1.4";    // SPC_INDIRECT_DATA_OBJID
constexpr char nestedSignatureOid[] = "1.3.6.1.4.1.311.2.4.1";  // szOID_NESTED_SIGNATURE
constexpr int deepestNesting = 2;  // a signature, a nested one and one nested in that
// More than any signature carries; each costs a check (of every pair of
// certificates, or of the whole file), so a hostile table could cost time.
constexpr int mostCertificates = 32;
constexpr size_t mostNested = 4;

using Pkcs7 = std::unique_ptr<PKCS7, decltype(&PKCS7_free)>;

bool isObject(const ASN1_OBJECT* object, const char* oid)
{
    char text[64];
    return object && OBJ_obj2txt(text, sizeof text, object, 1) > 0 && strcmp(text, oid) == 0;
}

// Why the certificate table is not as Windows' strict check wants it, or
// null: one entry filling the table (entries are padded to 8 bytes), the
// table last in the file and after the headers, the PKCS#7's DER ending at
// the entry's end but for at most 7 bytes of zeros.
const char* structureProblem(size_t size, const SignedRegions& signing)
{
    if (signing.tableOffset + signing.tableSize != size) return "the certificate table is not the last thing in the file";
    if (signing.tableOffset < signing.certificateEntryOffset + 8) return "the certificate table lies in the headers";
    if ((uint64_t(signing.entryLength) + 7) / 8 * 8 != signing.tableSize)
        return "the certificate table holds more than its one entry";
    const unsigned char* content = signing.signature;
    long length;
    int tag, type;
    if (ASN1_get_object(&content, &length, &tag, &type, signing.signatureSize) & 0x80)
        return "unreadable (no PKCS#7 signed data in the certificate table)";
    size_t der = size_t(content - signing.signature) + size_t(length);
    for (size_t at = der; at < signing.signatureSize; at++)
        if (signing.signature[at] != 0 || signing.signatureSize - der > 7)
            return "the certificate table holds bytes after the signature";
    return nullptr;
}

// The file's Authenticode digest: every byte before the certificate table
// but the checksum field and the table's directory entry, in file order
// (as osslsigncode and signtool lay a signed file out).
bool imageDigest(const EVP_MD* algorithm, const uint8_t* program, const SignedRegions& signing, unsigned char* digest,
                 unsigned* digestSize)
{
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    const uint64_t pieces[3][2] = {{0, signing.checksumOffset},
                                   {signing.checksumOffset + 4, signing.certificateEntryOffset},
                                   {signing.certificateEntryOffset + 8, signing.tableOffset}};
    if (!context || !EVP_DigestInit_ex(context.get(), algorithm, nullptr)) return false;
    for (const auto& piece : pieces)
        if (!EVP_DigestUpdate(context.get(), program + piece[0], size_t(piece[1] - piece[0]))) return false;
    return EVP_DigestFinal_ex(context.get(), digest, digestSize) == 1;
}

// The signed content, SpcIndirectDataContent: SEQUENCE { data, DigestInfo }.
// OpenSSL has no type for it, so its two elements are found here with
// OpenSSL's bounds-checked DER reader. `content` is the sequence's content,
// over which the signed attributes' digest runs.
struct IndirectData {
    const unsigned char* content = nullptr;
    long contentSize = 0;
    std::unique_ptr<X509_SIG, decltype(&X509_SIG_free)> digestInfo{nullptr, X509_SIG_free};
};

bool readIndirectData(PKCS7* pkcs7, IndirectData* data)
{
    PKCS7* contents = pkcs7->d.sign->contents;
    if (!contents || !isObject(contents->type, indirectDataOid) || !contents->d.other ||
        contents->d.other->type != V_ASN1_SEQUENCE)
        return false;
    const ASN1_STRING* sequence = contents->d.other->value.sequence;
    const unsigned char* at = sequence->data;
    long length, elementLength;
    int tag, type;
    if (ASN1_get_object(&at, &length, &tag, &type, sequence->length) & 0x80 || tag != V_ASN1_SEQUENCE) return false;
    data->content = at;
    data->contentSize = length;
    const unsigned char* element = at;
    if (ASN1_get_object(&element, &elementLength, &tag, &type, length) & 0x80) return false;
    element += elementLength;  // the data element, which says what was hashed
    data->digestInfo.reset(d2i_X509_SIG(nullptr, &element, at + length - element));
    return data->digestInfo != nullptr;
}

std::string subjectOf(X509* certificate)
{
    char* text = X509_NAME_oneline(X509_get_subject_name(certificate), nullptr, 0);
    std::string subject = text ? text : "";
    OPENSSL_free(text);
    return subject;
}

// A carried certificate whose own signature fails under its carried
// issuer (itself, when it is self-signed), or null. The topmost one's
// issuer is not carried: its signature is for the root to check.
X509* certificateThatFails(STACK_OF(X509) * carried)
{
    for (int c = 0; c < sk_X509_num(carried); c++)
        for (int i = 0; i < sk_X509_num(carried); i++) {
            X509 *certificate = sk_X509_value(carried, c), *issuer = sk_X509_value(carried, i);
            if (X509_check_issued(issuer, certificate) == X509_V_OK &&
                X509_verify(certificate, X509_get0_pubkey(issuer)) != 1)
                return certificate;
        }
    return nullptr;
}

// The signatures nested in the signer's unsigned attributes.
std::vector<Pkcs7> nestedSignatures(PKCS7_SIGNER_INFO* signer)
{
    std::vector<Pkcs7> nested;
    STACK_OF(X509_ATTRIBUTE)* attributes = signer->unauth_attr;
    for (int a = 0; a < sk_X509_ATTRIBUTE_num(attributes); a++) {
        X509_ATTRIBUTE* attribute = sk_X509_ATTRIBUTE_value(attributes, a);
        if (!isObject(X509_ATTRIBUTE_get0_object(attribute), nestedSignatureOid)) continue;
        for (int v = 0; v < X509_ATTRIBUTE_count(attribute); v++) {
            ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, v);
            const unsigned char* at = value && value->type == V_ASN1_SEQUENCE ? value->value.sequence->data : nullptr;
            if (at) nested.emplace_back(d2i_PKCS7(nullptr, &at, value->value.sequence->length), PKCS7_free);
        }
    }
    return nested;
}

// One signature's verdict: "" when it covers the file, else why not; the
// signer's subject in `signer`, and the nested signatures' verdicts after it.
std::string judge(PKCS7* pkcs7, const uint8_t* program, const SignedRegions& signing, int depth, std::string* signer,
                  std::string* nestedLine)
{
    if (!pkcs7 || !PKCS7_type_is_signed(pkcs7)) return "unreadable (no PKCS#7 signed data)";
    STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(pkcs7);
    std::unique_ptr<STACK_OF(X509), void (*)(STACK_OF(X509)*)> signerCertificates(
        PKCS7_get0_signers(pkcs7, nullptr, 0), [](STACK_OF(X509) * stack) { sk_X509_free(stack); });
    if (sk_PKCS7_SIGNER_INFO_num(signers) != 1 || !signerCertificates || sk_X509_num(signerCertificates.get()) != 1)
        return "names no signer's certificate (or more than one signer)";
    *signer = subjectOf(sk_X509_value(signerCertificates.get(), 0));
    std::string by = "signed by " + *signer + ", but ";
    IndirectData data;
    const X509_ALGOR* algorithm;
    const ASN1_OCTET_STRING* carriedDigest;
    if (!readIndirectData(pkcs7, &data)) return by + "it signs no Authenticode digest";
    X509_SIG_get0(data.digestInfo.get(), &algorithm, &carriedDigest);
    const EVP_MD* digestType = EVP_get_digestbyobj(algorithm->algorithm);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned digestSize = 0;
    if (!digestType || !imageDigest(digestType, program, signing, digest, &digestSize))
        return by + "its digest algorithm is none lzari knows";
    if (size_t(ASN1_STRING_length(carriedDigest)) != digestSize ||
        memcmp(ASN1_STRING_get0_data(carriedDigest), digest, digestSize) != 0)
        return by + "the file has changed since";
    // The content behind a buffer rather than as a memory BIO itself: given
    // one, OpenSSL 3.0's PKCS7_verify reads it through a copy that it leaks
    // when the signature names a digest it cannot set up.
    std::unique_ptr<BIO, decltype(&BIO_free_all)> content(BIO_new(BIO_f_buffer()), BIO_free_all);
    BIO* memory = BIO_new_mem_buf(data.content, int(data.contentSize));
    if (!content || !memory) return BIO_free(memory), by + "it could not be checked (out of memory)";
    BIO_push(content.get(), memory);
    if (PKCS7_verify(pkcs7, nullptr, nullptr, content.get(), nullptr, PKCS7_NOVERIFY | PKCS7_BINARY) != 1)
        return by + "it does not verify";
    if (sk_X509_num(pkcs7->d.sign->cert) > mostCertificates) return by + "it carries too many certificates";
    if (X509* failing = certificateThatFails(pkcs7->d.sign->cert))
        return by + "the certificate of " + subjectOf(failing) + " does not verify under its issuer";
    std::vector<Pkcs7> nestedOnes = nestedSignatures(sk_PKCS7_SIGNER_INFO_value(signers, 0));
    if (nestedOnes.size() > mostNested) return by + "it holds too many nested signatures";
    for (Pkcs7& nested : nestedOnes) {
        std::string nestedSigner, deeper;
        std::string problem = depth < deepestNesting ? judge(nested.get(), program, signing, depth + 1, &nestedSigner, &deeper)
                                                     : "nested too deeply";
        if (!problem.empty()) return "signed by " + *signer + "; its nested signature: " + problem;
        *nestedLine += "; so does a nested signature by " + nestedSigner + deeper;
    }
    return "";
}

}  // namespace

SignatureCheck checkSignature(const uint8_t* program, size_t size, const SignedRegions& signing)
{
    if (!signing.signature) return {true, "signature: not signed"};
    if (const char* problem = structureProblem(size, signing)) return {false, std::string("signature: ") + problem};
    const unsigned char* at = signing.signature;
    Pkcs7 pkcs7(d2i_PKCS7(nullptr, &at, long(signing.signatureSize)), PKCS7_free);
    std::string signer, nested;
    std::string problem = judge(pkcs7.get(), program, signing, 0, &signer, &nested);
    if (!problem.empty()) return {false, "signature: " + problem};
    return {true, "signature: signed by " + signer + "; it covers the file as it is" + nested};
}
