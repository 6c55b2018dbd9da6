/*
 * Preloaded into wine32's loader when it runs under qemu-i386 (see install.sh beside this
 * file). qemu-user hands a signal handler a context whose trap number is -1, and Wine's i386
 * handlers decide what a fault was from that number alone: a page fault then reads as an
 * unexpected trap and ends the program as an illegal instruction. This library wraps
 * sigaction and, before the handler installed for a hardware fault runs, fills the trap
 * number in from the signal and its si_code, as the kernel would have.
 *
 * Built with `gcc -m32 -nostdlib -ffreestanding`: no 32-bit C library or headers are needed
 * to build it; the few C library functions it calls are found when the loader starts.
 * The fault path (the trampoline) calls nothing and touches no thread-local storage, since
 * it runs with whatever segment registers the faulting Windows code had.
 */

#define NULL ((void *)0)

/* i386 Linux signal numbers and si_code values. */
enum {
    SIG_ILL = 4,
    SIG_TRAP = 5,
    SIG_BUS = 7,
    SIG_FPE = 8,
    SIG_SEGV = 11,
    SIGNAL_COUNT = 65,
};
enum { CODE_KERNEL = 0x80 };
enum { SEGV_MAPERR = 1, SEGV_ACCERR = 2 };
enum { BUS_ADRALN = 1 };
enum { FPE_INTDIV = 1, FPE_INTOVF = 2 };
enum { TRAP_BRKPT = 1, TRAP_TRACE = 2 };
enum { ACTION_SIGINFO = 4 };

/* x86 exception vectors, the values the kernel stores as the trap number. */
enum {
    TRAP_DIVIDE = 0,
    TRAP_DEBUG = 1,
    TRAP_BREAKPOINT = 3,
    TRAP_OVERFLOW = 4,
    TRAP_INVALID_OPCODE = 6,
    TRAP_STACK = 12,
    TRAP_PROTECTION = 13,
    TRAP_PAGE = 14,
    TRAP_FPU = 16,
    TRAP_ALIGNMENT = 17,
    TRAP_LAST = 31,
};

/* The C library's struct sigaction on i386. */
struct action {
    void *handler;
    unsigned long mask[32];
    int flags;
    void (*restorer)(void);
};

/* The start of siginfo_t and of ucontext_t on i386: only the fields read or written here. */
struct signal_info {
    int signo;
    int error;
    int code;
};
enum { REG_TRAPNO = 12 };
struct user_context {
    unsigned long flags;
    struct user_context *link;
    void *stack_base;
    int stack_flags;
    unsigned long stack_size;
    int gregs[19];
};

typedef void (*info_handler)(int, struct signal_info *, void *);
typedef int (*sigaction_fn)(int, const struct action *, struct action *);

/* From the C library, resolved when the loader starts. */
extern void *dlsym(void *handle, const char *name);
extern int unsetenv(const char *name);
#define NEXT_OBJECT ((void *)-1l)

/* The handler each fault signal's trampoline passes on to. */
static info_handler volatile wrapped[SIGNAL_COUNT];
static sigaction_fn real_sigaction;

static int is_fault_signal(int sig) {
    return sig == SIG_SEGV || sig == SIG_BUS || sig == SIG_ILL || sig == SIG_FPE || sig == SIG_TRAP;
}

static int is_default_or_ignore(void *handler) { return (unsigned long)handler <= 1; }

/* The vector the kernel reports for a fault of this signal and si_code. */
static int trap_of(int sig, int code) {
    switch (sig) {
        case SIG_SEGV:
            return code == SEGV_MAPERR || code == SEGV_ACCERR ? TRAP_PAGE : TRAP_PROTECTION;
        case SIG_BUS:
            if (code == BUS_ADRALN) return TRAP_ALIGNMENT;
            return code == CODE_KERNEL ? TRAP_STACK : TRAP_PAGE;
        case SIG_ILL:
            return TRAP_INVALID_OPCODE;
        case SIG_FPE:
            if (code == FPE_INTDIV) return TRAP_DIVIDE;
            return code == FPE_INTOVF ? TRAP_OVERFLOW : TRAP_FPU;
        default: /* SIG_TRAP: qemu reports a single step as a breakpoint, int3 from the kernel */
            return code == TRAP_BRKPT || code == TRAP_TRACE ? TRAP_DEBUG : TRAP_BREAKPOINT;
    }
}

static void trampoline(int sig, struct signal_info *info, void *context) {
    struct user_context *uc = context;
    info_handler handler = wrapped[sig];
    if ((unsigned)uc->gregs[REG_TRAPNO] > TRAP_LAST)
        uc->gregs[REG_TRAPNO] = trap_of(sig, info->code);
    if (handler) handler(sig, info, context);
}

int sigaction(int sig, const struct action *act, struct action *old) {
    struct action mine;
    info_handler previous;
    int result;
    if (!real_sigaction) real_sigaction = (sigaction_fn)dlsym(NEXT_OBJECT, "sigaction");
    if (!is_fault_signal(sig)) return real_sigaction(sig, act, old);
    previous = wrapped[sig];
    if (act && (act->flags & ACTION_SIGINFO) && !is_default_or_ignore(act->handler) &&
        act->handler != (void *)trampoline) {
        /* The trampoline must find the new handler the moment it is installed. */
        wrapped[sig] = (info_handler)act->handler;
        mine = *act;
        mine.handler = (void *)trampoline;
        act = &mine;
    }
    result = real_sigaction(sig, act, old);
    if (result != 0)
        wrapped[sig] = previous;
    else if (old && old->handler == (void *)trampoline)
        old->handler = (void *)previous;
    return result;
}

/* 64-bit programs that Wine starts from here must not be handed a 32-bit library. */
__attribute__((constructor)) static void leave_environment(void) { unsetenv("LD_PRELOAD"); }
