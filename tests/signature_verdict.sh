#!/usr/bin/env bash
# lzari's verdict on setup.exe signed by a leaf under an intermediate (the
# root not carried) that names a CRL on a port that never answers: covered,
# nothing connects; each change below refused in one line on stderr, and by
# osslsigncode (given the root) where the digest covers it.
#   signature_verdict.sh LZARI SETUP_EXE
set -euo pipefail
lzari=$1 setup=$2 writer=
scratch=$(mktemp -d /tmp/signature-XXXXXX)
trap 'kill $listener $writer 2>/dev/null; rm -rf "$scratch"' EXIT
cd "$scratch"
fail() { echo "signature verdict: $*" >&2; exit 1; }
python3 -c 'import os, socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(); open("p", "w").write(str(s.getsockname()[1])); os.rename("p", "port")
while s.accept(): open("connected", "w").write("a connection")' & listener=$!
for _ in $(seq 50); do [[ -s port ]] || sleep 0.1; done
printf '[ca]\nbasicConstraints=critical,CA:true\n[leaf]\nextendedKeyUsage=codeSigning
crlDistributionPoints=URI:http://127.0.0.1:%s/never.crl\n' "$(cat port)" >x509.cnf
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 30 -subj "/CN=Test Root" 2>/dev/null
for made in "middle /CN=Test Intermediate root ca" "leaf /CN=Test Publisher middle leaf"; do
    set -- $made
    openssl req -newkey rsa:2048 -nodes -keyout $1.key -out $1.csr -subj "$2 $3" 2>/dev/null
    openssl x509 -req -in $1.csr -CA $4.pem -CAkey $4.key -set_serial $RANDOM -extfile x509.cnf -extensions $5 -out $1.pem 2>/dev/null
done
cat leaf.pem middle.pem >carried.pem
osslsigncode sign -h sha256 -certs carried.pem -key leaf.key -in "$setup" -out good.exe >/dev/null
osslsigncode sign -nest -h sha256 -certs carried.pem -key leaf.key -in good.exe -out nested.exe >/dev/null
mkfifo fifo && { cat good.exe >fifo 2>&1 & writer=$!; }
for run in good.exe nested.exe fifo "/dev/stdin <good.exe"; do
    out=$(eval timeout 20 "$lzari" list "$run" | tail -1) || fail "lzari list $run: not good"
    [[ $out == "signature: signed by /CN=Test Publisher; it covers the file as it is"* ]] || fail "$run: $out"
done
[[ ! -e connected ]] || fail "lzari connected to the certificate's CRL distribution point"

# Each change: NAME DIGESTED (whether the digest covers it).
python3 - "${setup%/wizard/setup.exe}/products/setup/packed/QRV.HLP.lz" <<'EOF' >changes
import struct, sys
def entry(b): return struct.unpack_from("<I", b, 0x3C)[0] + 24 + 128
good, nested = open("good.exe", "rb").read(), open("nested.exe", "rb").read()
table = struct.unpack_from("<I", good, entry(good))[0]
end = table + 12 + struct.unpack_from(">H", good, table + 10)[0]  # the DER's end: its signature value last
digest = good.find(bytes.fromhex("06092a864886f70d010904"), table) + 15  # the messageDigest attribute's value
primary = nested.find(bytes.fromhex("060a2b060104018237020401"), table) - 8  # its end: the nested one follows
for name, b, at in (("code", good, 1100), ("payload", good, good.find(open(sys.argv[1], "rb").read()) + 100),
                    ("signed-attribute", good, digest), ("signature", good, end - 100),
                    ("signer-certificate", good, good.find(b"Test Publisher", table) + 5), ("nested-primary", nested, primary - 100)):
    open(name, "wb").write(b[:at] + bytes([b[at] ^ 4]) + b[at + 1:])
    print(name, int(at < table))
for name, grown, length in (("junk", bytes(range(256)) * 16, 4096), ("second", struct.pack("<IHH", 16, 0x200, 2) + bytes(8), 0)):
    b = bytearray(good + grown)
    struct.pack_into("<I", b, entry(good) + 4, len(b) - table)
    struct.pack_into("<I", b, table, struct.unpack_from("<I", good, table)[0] + length)
    open(name, "wb").write(b)
    print(name, 0)
EOF
while read -r name digested; do
    ! "$lzari" list "$name" >out 2>err || fail "$name changed, and lzari list passes"
    [[ $(grep -c "^lzari: $name: signature: " err) == 1 ]] || fail "$name: $(cat err)"
    [[ $digested == 0 ]] || ! osslsigncode verify -ignore-crl -CAfile root.pem -in "$name" >/dev/null 2>&1 ||
        fail "$name changed, and osslsigncode passes"
done <changes
osslsigncode verify -ignore-crl -CAfile root.pem -in good.exe >/dev/null || fail "osslsigncode refuses the good file"
echo "signed under an intermediate: covered, with no connection; every change and a grown table refused"
