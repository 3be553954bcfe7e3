"""What the tests on a real X display share: waiting for something to
appear, and the environment the program runs in there (its folders in one
work folder, the xcb platform chosen by the caller, no development mode)."""
import os
import subprocess
import time


def wait_for(what, test, seconds=30, on_timeout=None):
    """Polls test() until it gives something true and returns it; ends the
    test when seconds pass (after on_timeout, e.g. a screenshot)."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = test()
        if result:
            return result
        time.sleep(0.2)
    if on_timeout:
        on_timeout()
    raise SystemExit("timed out waiting for " + what)


def program_env(work, **extra):
    """The environment for the program with its settings, logs and runtime
    folder in work."""
    env = dict(os.environ)
    for key in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "TIDEWICK_DEVELOPMENT"):
        env.pop(key, None)
    env.update(XDG_DATA_HOME=work, XDG_RUNTIME_DIR=work, XDG_CONFIG_HOME=work, HOME=work, **extra)
    return env


def register_capture_library(bin_dir, env, work):
    """As the run command does: the capture library registered, in the
    test's own registry file in work."""
    env["TIDEWICK_REGISTRY"] = os.path.join(work, "registry.txt")
    subprocess.run([os.path.join(bin_dir, "regsvr"), "/s", os.path.join(bin_dir, "OrvelCap5.so")], check=True,
                   env=env)


def start_xvfb(env, size, first_display):
    """Starts Xvfb of size ("1366x768") on a display of this process's own,
    waits until it answers and points env at it with the xcb platform, as
    the run command starts the program. Returns the server's process."""
    display = ":%d" % (first_display + os.getpid() % 400)
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", size + "x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env["DISPLAY"] = display
    wait_for("the display", lambda: subprocess.run(["xdotool", "getmouselocation"], env=env,
                                                   capture_output=True).returncode == 0)
    env["QT_QPA_PLATFORM"] = "xcb"
    return xvfb
