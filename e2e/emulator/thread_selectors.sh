# Sourced by the Wine tests (e2e/e2e_lib.sh, e2e/exe_smoke.sh, the installer's test). Where a
# 32-bit Wine process runs under qemu-i386, its threads share one GDT and a second thread
# makes it hang (see thread_selectors.c): every 32-bit process that qemu starts preloads a
# library that gives each thread LDT selectors of its own. It does nothing in a process that
# runs natively.

# Builds the library into DIR for both word sizes (Wine's 64-bit processes inherit the
# preload too; ld.so's $LIB picks the build that fits) and hands it to qemu through
# QEMU_SET_ENV, which qemu reads at every start, the kernel's hand-overs included. Without a
# compiler for 32-bit code the tests run on without it.
preload_thread_selectors() {
    local dir=$1/thread-selectors
    local code
    code=$(dirname "${BASH_SOURCE[0]}")/thread_selectors.c
    local name=libthread_selectors.so
    mkdir -p "$dir/lib/i386-linux-gnu" "$dir/lib/x86_64-linux-gnu"
    if cc -m32 -O2 -fPIC -shared -nostdlib -o "$dir/lib/i386-linux-gnu/$name" "$code" &&
        cc -O2 -fPIC -shared -nostdlib -o "$dir/lib/x86_64-linux-gnu/$name" "$code"; then
        export QEMU_SET_ENV="LD_PRELOAD=$dir/\$LIB/$name"
    else
        echo "thread_selectors: not built; under qemu-i386 a second Wine thread may hang" >&2
    fi
}
