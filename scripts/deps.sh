# Debian packages the build, the program and the tests need.  Sourced by
# test.sh and run.sh.  Qt Charts' CMake files look for Qt OpenGL's, which
# qt6-charts-dev does not pull in: libqt6opengl6-dev is named for them.
QMX_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n fonts-liberation2
  libmodbus-dev mbpoll ser2net
  desktop-file-utils
  clang libclang-rt-14-dev
  locales
)

qmx_install_deps() {
  local missing=()
  local p
  for p in "${QMX_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if ((${#missing[@]})); then
    if [[ $(id -u) -ne 0 ]]; then
      echo "Missing Debian packages: ${missing[*]}" >&2
      echo "Install them as root:  apt-get install ${missing[*]}" >&2
      exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  # Number formatting is tested under a Russian locale (comma decimal point).
  if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    if [[ $(id -u) -eq 0 ]]; then
      sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
      grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >>/etc/locale.gen
      locale-gen >/dev/null
    else
      echo "The ru_RU.UTF-8 locale is missing; locale tests will be skipped." >&2
    fi
  fi
}
