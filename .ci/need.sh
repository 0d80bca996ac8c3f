# Sourced by the test scripts. need COMMAND PACKAGE...: installs PACKAGE...
# from Debian's packages when COMMAND is not on the PATH (or, for a COMMAND
# that starts with "/", when that file does not exist).
need() {
  case "$1" in
    /*) [ -e "$1" ] && return 0 ;;
    *) command -v "$1" >/dev/null 2>&1 && return 0 ;;
  esac
  shift
  echo "== installing $* from Debian's packages"
  if [ "$(id -u)" -eq 0 ]; then apt_get="apt-get"; else apt_get="sudo apt-get"; fi
  $apt_get update -qq || true
  DEBIAN_FRONTEND=noninteractive $apt_get install -y -qq --no-install-recommends "$@"
}
