# Sourced inside the sandbox after desktop.sh: the vendor site over HTTPS under the build's
# base URL on 127.0.0.2 (127.0.0.1 is the program's web server), which the private hosts
# file, written afresh, sends the URL's host to. Its certificate authority is made for this
# run and trusted only by the sandbox's copy of the CA store.
#   serve_site <site folder> <base URL> <work folder>   sets site_pid, site_host and
#                                    site_port; requests are logged in <work folder>/site-log.txt
serve_site() {
  local folder=$1 base=$2 out=$3 support
  support=$(dirname "${BASH_SOURCE[0]}")/../support
  site_host=$(echo "$base" | sed -E "s#^https://([^/:]+).*#\1#")
  site_port=$(echo "$base" | sed -nE "s#^https://[^/:]+:([0-9]+).*#\1#p"); site_port=${site_port:-443}
  printf "127.0.0.1 localhost\n127.0.0.2 %s\n" "$site_host" > /etc/hosts
  "$support/make-test-ca.sh" "$out/tls" "$site_host"
  cat "$out/tls/ca.pem" >> /etc/ssl/certs/ca-certificates.crt
  python3 "$support/https_site.py" --port "$site_port" --bind 127.0.0.2 --cert "$out/tls/site.pem" \
    --key "$out/tls/site.key" --directory "$folder" 2>>"$out/site-log.txt" &
  site_pid=$!
  trap "kill \$site_pid 2>/dev/null || true; kill \$desktop_pids 2>/dev/null || true" EXIT
  wait_until 30 curl -sf -o /dev/null "${base}zshared/updatedate.txt" ||
    { echo "the vendor site does not answer on $base" >&2; return 1; }
}
