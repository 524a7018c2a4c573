# The one way the scripts start the emulated PC (sourced by guest-image and guest-run).
# guest_boot IMAGE MODE TIMEOUT CONSOLE_FILE SNAPSHOT [EXTRA_RAW_DISK...]: boots IMAGE, runs
# /sbin/smearscope-init in MODE, and returns qemu's status (124 when the timeout ended it).
guest_boot() {
  local image=$1 mode=$2 limit=$3 console=$4 snapshot=$5 disk
  shift 5
  local drives=(-drive "file=$image,if=virtio,format=raw${snapshot:+,snapshot=on}")
  for disk in "$@"; do drives+=(-drive "file=$disk,if=virtio,format=raw"); done
  # NOTE: TCG with plain -cpu max: every Wine process dies in the guest kernel (a page fault on
  # iret with protection keys on); without pku, smap and smep Wine runs normally.
  timeout --kill-after=10 "$limit" qemu-system-x86_64 -m "${SMEARSCOPE_GUEST_MEMORY:-3G}" -smp 2 \
    -accel tcg,thread=multi -cpu max,-pku,-smap,-smep \
    -kernel "${image%/*}/vmlinuz" -initrd "${image%/*}/initrd.img" \
    -append "root=/dev/vda rw console=ttyS0 init=/sbin/smearscope-init quiet panic=1 smearscope_mode=$mode" \
    "${drives[@]}" -nic none -display none -monitor none -serial stdio -no-reboot \
    </dev/null >"$console" 2>&1
}
