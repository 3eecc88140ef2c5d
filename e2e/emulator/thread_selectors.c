/* Preloaded into every 32-bit Wine process that runs under qemu-i386 (see
 * thread_selectors.sh). The emulator keeps one GDT for all threads of a process, where Linux
 * keeps its three TLS slots per thread: a thread that sets its slot changes it for all, and a
 * thread that reloads %fs or %gs (Wine does at each signal, and on the way back) gets the
 * last writer's TEB or C library block. A Wine process with a second thread then mixes up
 * its threads' server pipes and hangs.
 *
 * The LDT has room for a selector per thread. Taking every free TLS slot and clearing %fs
 * makes Wine fall back to an LDT selector per thread for the TEB; this library gives each
 * thread an LDT selector for its C library block in %gs as well. Where the process runs
 * natively, it does nothing. No C headers: the 32-bit ones need not be installed. */
#ifdef __i386__

typedef unsigned long size_t;
typedef unsigned long pthread_t;
typedef struct {
    unsigned long bits[32];
} sigset_t;

void* dlsym(void* handle, const char* name);
void* malloc(size_t size);
void free(void* block);
int pthread_sigmask(int how, const sigset_t* set, sigset_t* old);

#define RTLD_NEXT ((void*)-1l)
enum { kSigSetMask = 2, kEAgain = 11 };
enum { kSysModifyLdt = 123, kSysUname = 122, kSysSetThreadArea = 243 };

/* The kernel's struct user_desc: a 32-bit data segment over the whole space, usable. */
struct UserDesc {
    unsigned entry, base, limit, flags;
};
enum { kFlatLimit = 0xfffff, kFlatFlags = 0x51, kLdtWrite = 0x11 };
/* Wine starts its TEB selectors at 512 when %gs is in the LDT. */
enum { kFirstEntry = 1, kLastEntry = 511 };

static int active;
static int nextEntry = kFirstEntry;
static unsigned short gdtGs; /* the C library's slot, which new threads get in %gs */

static int Syscall(int number, int a, int b, int c) {
    int result;
    __asm__ volatile("int $0x80" : "=a"(result) : "a"(number), "b"(a), "c"(b), "d"(c) : "memory");
    return result;
}

static unsigned short Gs(void) {
    unsigned short selector;
    __asm__ volatile("movw %%gs, %0" : "=r"(selector));
    return selector;
}

static void SetGs(unsigned short selector) {
    __asm__ volatile("movw %0, %%gs" : : "r"(selector));
}

/* The C library's thread block, whose first word points at itself. */
static unsigned ThreadBlock(void) {
    unsigned block;
    __asm__ volatile("movl %%gs:0, %0" : "=r"(block));
    return block;
}

/* qemu-i386 names its machine i386 to i686; a native 32-bit process on a 64-bit kernel
 * sees x86_64. */
static int Emulated(void) {
    char names[6][65];
    return Syscall(kSysUname, (int)names, 0, 0) == 0 && names[4][0] == 'i';
}

/* The calling thread's block on an LDT selector of its own. Past the last entry a thread
 * keeps the shared slot, as without this library. */
static void OwnGs(void) {
    int entry = __atomic_fetch_add(&nextEntry, 1, __ATOMIC_SEQ_CST);
    if (entry > kLastEntry) return;
    struct UserDesc desc = {(unsigned)entry, ThreadBlock(), kFlatLimit, kFlatFlags};
    if (Syscall(kSysModifyLdt, kLdtWrite, (int)&desc, sizeof desc) == 0) {
        SetGs((unsigned short)(entry << 3 | 7));
    }
}

__attribute__((constructor)) static void Start(void) {
    if (!Emulated()) return;
    active = 1;
    for (int slot = 0; slot < 3; ++slot) {
        struct UserDesc desc = {(unsigned)-1, 0, 0, kFlatFlags};
        if (Syscall(kSysSetThreadArea, (int)&desc, 0, 0) < 0) break;
    }
    __asm__ volatile("movw %w0, %%fs" : : "r"(0));
    gdtGs = Gs();
    OwnGs();
}

struct ThreadStart {
    void* (*routine)(void*);
    void* arg;
    sigset_t mask;
};

static void* StartThread(void* param) {
    struct ThreadStart start = *(struct ThreadStart*)param;
    free(param);
    OwnGs();
    pthread_sigmask(kSigSetMask, &start.mask, 0);
    return start.routine(start.arg);
}

/* The C library passes the slot in the caller's %gs to the new thread, so the caller goes
 * back to the shared slot, pointed at its own block, for the call; signals wait meanwhile,
 * since a signal's return would reload %gs from the slot the new thread has just taken. */
int pthread_create(pthread_t* thread, const void* attr, void* (*routine)(void*), void* arg) {
    static int (*create)(pthread_t*, const void*, void* (*)(void*), void*);
    if (!create) create = dlsym(RTLD_NEXT, "pthread_create");
    if (!active) return create(thread, attr, routine, arg);
    struct ThreadStart* start = malloc(sizeof *start);
    if (!start) return kEAgain;
    start->routine = routine;
    start->arg = arg;
    sigset_t all;
    for (int word = 0; word < 32; ++word)
        all.bits[word] = ~0ul;
    pthread_sigmask(kSigSetMask, &all, &start->mask);
    unsigned short own = Gs();
    struct UserDesc desc = {gdtGs >> 3, ThreadBlock(), kFlatLimit, kFlatFlags};
    Syscall(kSysSetThreadArea, (int)&desc, 0, 0);
    SetGs(gdtGs);
    int result = create(thread, attr, StartThread, start);
    SetGs(own);
    pthread_sigmask(kSigSetMask, &start->mask, 0);
    if (result != 0) free(start);
    return result;
}

#else
/* The 64-bit processes that Wine starts inherit the preload: for them, an empty library. */
void thread_selectors_unused(void) {}
#endif
