# Sourced by the audit's benchmarks: Debian's nginx serving folders of generated pages on
# 127.0.0.1, so that the server is not what limits.
#   free_port                          a port nothing listens on
#   serve_sites WORK PORT ROOT [PORT ROOT…]  starts nginx with its files in WORK (pid WORK/nginx.pid)

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

serve_sites() {
  local work="$1" servers=""
  shift
  while (($# >= 2)); do
    servers+="  server { listen 127.0.0.1:$1; root $2; }"$'\n'
    shift 2
  done
  cat > "$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  types { text/html html; }
  default_type text/html;
  client_body_temp_path $work/tmp; proxy_temp_path $work/tmp; fastcgi_temp_path $work/tmp;
  uwsgi_temp_path $work/tmp; scgi_temp_path $work/tmp;
  keepalive_requests 100000;
$servers}
CONF
  mkdir -p "$work/tmp"
  nginx -c "$work/nginx.conf" -p "$work"
}
