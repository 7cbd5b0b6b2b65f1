#!/usr/bin/env bash
# Builds the Debian package korvina_<version>_<arch>.deb in the repository's top folder, from a
# Release build of the program alone in build-package/. Install it with
#   sudo apt-get install ./korvina_<version>_<arch>.deb
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

"$root/scripts/install-deps.sh"

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build build-package -j"$(nproc)" --target korvina
(cd build-package && cpack -G DEB -B "$root/build-package/packages")

package=$(ls -t build-package/packages/korvina_*.deb | head -n 1)
cp "$package" "$root/"
echo "package: $(basename "$package")"
dpkg-deb --field "$root/$(basename "$package")" Package Version Architecture Depends
