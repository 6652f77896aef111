# Sourced inside the sandbox, after desktop.sh: the vendor site over HTTPS on loopback
# under the build's base URL, with a certificate authority made for this run that only the sandbox's own copy of
# the system's CA store (/etc/ssl/certs/ca-certificates.crt) trusts. The private hosts
# file must already send the URL's host to <address>.
#   serve_site <site folder> <base URL> <address> <work folder>   sets site_pid; its
#                                           requests are logged in <work folder>/site-log.txt
serve_site() {
  local folder=$1 base=$2 address=$3 out=$4 support host port
  support=$(dirname "${BASH_SOURCE[0]}")/../support
  host=$(echo "$base" | sed -E "s#^https://([^/:]+).*#\1#")
  port=$(echo "$base" | sed -nE "s#^https://[^/:]+:([0-9]+).*#\1#p"); port=${port:-443}
  "$support/make-test-ca.sh" "$out/tls" "$host"
  cat "$out/tls/ca.pem" >> /etc/ssl/certs/ca-certificates.crt
  python3 "$support/https_site.py" --port "$port" --bind "$address" --cert "$out/tls/site.pem" \
    --key "$out/tls/site.key" --directory "$folder" 2>>"$out/site-log.txt" &
  site_pid=$!
  wait_until 30 curl -sf -o /dev/null "${base}zshared/updatedate.txt" ||
    { echo "the vendor site does not answer on $base" >&2; return 1; }
}
