-- The snippet library as an add-in of this editor.
--   :Snippary            start it and connect (menu "Add-Ins > Snippary", toolbar menu "VB Velmora")
--   :SnipparyDisconnect  disconnect it
-- The program is `snippary` on PATH, or vim.g.snippary_executable. It connects by itself at start
-- when the add-in file (~/.config/snippary/VBADDIN.INI) says VBSnippary.Connect=1.
-- vim.g.snippary_channel is the program's RPC channel while it is connected, 0 otherwise.
if vim.g.loaded_snippary then return end
vim.g.loaded_snippary = true

local channel = nil
vim.g.snippary_channel = 0

local function running()
  return channel ~= nil and vim.fn.jobwait({ channel }, 0)[1] == -1
end

local function connect()
  if running() then return end
  local program = vim.g.snippary_executable or 'snippary'
  channel = vim.fn.jobstart({ program, '--nvim' }, {
    rpc = true,
    on_exit = function()
      channel = nil
      vim.g.snippary_channel = 0
    end,
  })
  if channel <= 0 then
    channel = nil
    vim.notify('snippary: cannot start ' .. program, vim.log.levels.ERROR)
    return
  end
  vim.g.snippary_channel = channel
end

-- The program removes its menus and leaves; one that does not answer is stopped.
local function disconnect()
  if not running() then return end
  local job = channel
  pcall(vim.rpcnotify, job, 'snippary_disconnect')
  if vim.fn.jobwait({ job }, 3000)[1] == -1 then vim.fn.jobstop(job) end
  channel = nil
  vim.g.snippary_channel = 0
end

vim.api.nvim_create_user_command('Snippary', connect, {})
vim.api.nvim_create_user_command('SnipparyDisconnect', disconnect, {})
-- Quitting the editor disconnects the add-in.
vim.api.nvim_create_autocmd('VimLeavePre', { callback = disconnect })

-- The add-in file lists the add-ins and whether each connects at start.
local function connect_at_start()
  local config = os.getenv('XDG_CONFIG_HOME') or (os.getenv('HOME') .. '/.config')
  local file = io.open(config .. '/snippary/VBADDIN.INI', 'r')
  if not file then return false end
  local in_section = false
  for line in file:lines() do
    line = line:gsub('\r$', '')
    local section = line:match('^%s*%[(.-)%]')
    if section then
      in_section = section:lower() == 'add-ins32'
    elseif in_section then
      local key, value = line:match('^%s*(.-)%s*=%s*(.-)%s*$')
      if key and key:lower() == 'vbsnippary.connect' then
        file:close()
        return value == '1'
      end
    end
  end
  file:close()
  return false
end

if connect_at_start() then
  vim.api.nvim_create_autocmd('VimEnter', { callback = connect, once = true })
end
